# Installing: the program, its data files and samples, a desktop entry with
# its icon, and the manual page, where Debian keeps them; CPack makes a .deb
# that pulls the libraries it links (cmake --build build --target package).
include(GNUInstallDirs)
install(TARGETS kessadon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KESSADON_PROGRAM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kessadon)
install(DIRECTORY ${KESSADON_DATA_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kessadon/samples)
install(FILES ${KESSADON_DATA_DIR}/desktop/kessadon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESSADON_DATA_DIR}/desktop/kessadon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page, from the command line's own help.
set(KESSADON_MAN_PAGE ${CMAKE_BINARY_DIR}/kessadon.1)
add_custom_command(OUTPUT ${KESSADON_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:kessadon> -DOUTPUT=${KESSADON_MAN_PAGE}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  DEPENDS kessadon ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  COMMENT "Writing the manual page kessadon.1")
add_custom_target(kessadon_man_page ALL DEPENDS ${KESSADON_MAN_PAGE})
install(FILES ${KESSADON_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kessadon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kessadon developers <kessadon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Terrain and geological surfaces on a grid, estimated from measured points")
set(CPACK_PACKAGE_DESCRIPTION
    "Estimates grid surfaces from heights, bounds and strike/dip readings by weighted least
squares, and draws them as grid lines, contours, colour bands and relief, in plan or
as a 3-D block. Japanese desktop program and a command line for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries it links, found by dpkg-shlibdeps; the Qt platform plugins
# and the Japanese fonts it draws with are not linked, so named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk")
include(CPack)
