# Installs the build into a scratch root and checks that the files lie where
# the desktop entry says, that the manual page is there, and that the
# installed program finds its data files in share/kessadon.
# Run with -DBUILD=<build folder> -DROOT=<scratch root>.
file(REMOVE_RECURSE ${ROOT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
                        ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

function(expect path)
  if(NOT EXISTS ${ROOT}/usr/${path})
    message(FATAL_ERROR "not installed: /usr/${path}")
  endif()
endfunction()

file(STRINGS ${ROOT}/usr/share/applications/kessadon.desktop entry)
foreach(line IN LISTS entry)
  if(line MATCHES "^Exec=([^ ]+)")
    expect(bin/${CMAKE_MATCH_1})
  elseif(line MATCHES "^Icon=(.+)$")
    expect(share/icons/hicolor/scalable/apps/${CMAKE_MATCH_1}.svg)
  elseif(line MATCHES "^Name\\[ja\\]=")
    set(japanese TRUE)
  endif()
endforeach()
if(NOT japanese)
  message(FATAL_ERROR "the desktop entry has no Japanese name")
endif()
foreach(path share/kessadon/default.txt share/kessadon/Color1.txt share/kessadon/ColorShd.txt
             share/kessadon/samples/hill.grd share/man/man1/kessadon.1.gz
             share/doc/kessadon/copyright share/doc/kessadon/changelog.gz)
  expect(${path})
endforeach()

# Nothing beside the installed program: the colour tables come from share.
execute_process(COMMAND ${ROOT}/usr/bin/kessadon --version OUTPUT_VARIABLE version
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^kessadon [0-9]")
  message(FATAL_ERROR "kessadon --version: ${version}")
endif()
execute_process(COMMAND ${ROOT}/usr/bin/kessadon render ${ROOT}/usr/share/kessadon/samples/hill.grd
                        --mode color-contour --palette 2 -o ${ROOT}/hill.png
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS ${ROOT}/hill.png)
  message(FATAL_ERROR "the installed program could not draw with its colour tables: ${errors}")
endif()
file(REMOVE_RECURSE ${ROOT})
