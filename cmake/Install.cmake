# Installing: the program, its data files and samples, a desktop entry with
# its icon, the manual page, the copyright and the changelog, where Debian
# keeps them; CPack makes a .deb that pulls the libraries it links
# (cmake --build build --target package).
include(GNUInstallDirs)
install(TARGETS kessadon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KESSADON_PROGRAM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kessadon)
install(DIRECTORY ${KESSADON_DATA_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kessadon/samples)
install(FILES ${KESSADON_DATA_DIR}/desktop/kessadon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESSADON_DATA_DIR}/desktop/kessadon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page, from the command line's own help; Debian keeps manual
# pages compressed, and -n leaves the name and time out, so the same page
# gives the same file.
find_program(KESSADON_GZIP gzip REQUIRED)
set(KESSADON_MAN_PAGE ${CMAKE_BINARY_DIR}/kessadon.1)
add_custom_command(OUTPUT ${KESSADON_MAN_PAGE} ${KESSADON_MAN_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:kessadon> -DOUTPUT=${KESSADON_MAN_PAGE}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  COMMAND ${KESSADON_GZIP} -9nkf ${KESSADON_MAN_PAGE}
  DEPENDS kessadon ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  COMMENT "Writing the manual page kessadon.1"
  VERBATIM)
add_custom_target(kessadon_man_page ALL DEPENDS ${KESSADON_MAN_PAGE}.gz)
install(FILES ${KESSADON_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# What Debian asks of every package: the copyright and the changelog (a
# native package's, so changelog.gz), under the package's lower-case name.
set(KESSADON_PACKAGE_DIR ${KESSADON_DATA_DIR}/package)
set(KESSADON_CHANGELOG ${CMAKE_BINARY_DIR}/package/changelog)
add_custom_command(OUTPUT ${KESSADON_CHANGELOG}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${KESSADON_PACKAGE_DIR}/changelog ${KESSADON_CHANGELOG}
  COMMAND ${KESSADON_GZIP} -9nf ${KESSADON_CHANGELOG}
  DEPENDS ${KESSADON_PACKAGE_DIR}/changelog
  COMMENT "Compressing the package changelog"
  VERBATIM)
add_custom_target(kessadon_changelog ALL DEPENDS ${KESSADON_CHANGELOG}.gz)
set(KESSADON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kessadon)
install(FILES ${KESSADON_PACKAGE_DIR}/copyright ${KESSADON_CHANGELOG}.gz DESTINATION ${KESSADON_DOC_DIR})
install(FILES ${KESSADON_PACKAGE_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kessadon)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kessadon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The address the project's commits carry.
set(CPACK_PACKAGE_CONTACT "Seed de6fccc5 maintainers <maintainers@users.noreply.c-seed-de6fccc5.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Terrain and geological surfaces on a grid, estimated from measured points")
# Lines under 80 columns, as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION
    "Estimates grid surfaces from heights, bounds and strike/dip readings by
weighted least squares, and draws them as grid lines, contours, colour bands
and relief, in plan or as a 3-D block. Japanese desktop program and a command
line for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries it links, found by dpkg-shlibdeps; the Qt platform plugins
# and the fonts it draws with are not linked, so named here: the Japanese
# captions, and a Century Schoolbook clone for the labels that ask for
# "Century" (render/RasterSurface.cpp tries C059 first, then TeX Gyre Schola).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk, fonts-urw-base35 | fonts-texgyre")
# Debug symbols are left out of the package: a release build has none worth
# shipping, and a sanitized one would make a huge package.
set(CPACK_STRIP_FILES ON)
include(CPack)
