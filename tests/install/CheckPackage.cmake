# Makes the .deb of a build folder as its `package` target would, stripped,
# and fails on any error lintian reports on it. Without lintian it says so
# and stops; CTest counts that as skipped.
# Run with -DCPACK=<cpack> -DBUILD=<build folder> -DWORK=<scratch folder>
# -DCHANGELOG=<the changelog kept in the repository>.
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message("lintian is not installed: the package is not checked")
  return()
endif()

file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -B ${WORK}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB package ${WORK}/*.deb)
list(LENGTH package count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made no single .deb:\n${output}")
endif()

# A new version needs its changelog entry, or the package tells of an old one.
execute_process(COMMAND dpkg-deb --field ${package} Version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(READ ${CHANGELOG} changelog LIMIT 200)
string(REGEX MATCH "^kessadon \\(([^)]*)\\)" newest "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL version)
  message(FATAL_ERROR "the package is version ${version}, the changelog's newest entry ${CMAKE_MATCH_1}")
endif()

execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${package}
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE problems)
string(REGEX MATCHALL "\nE: [^\n]*" errors "\n${report}")
if(errors)
  string(JOIN "" errors ${errors})
  message(FATAL_ERROR "lintian finds errors in the package:${errors}")
elseif(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian failed: ${problems}${report}")
endif()
file(REMOVE_RECURSE ${WORK})
