# kessadon_add_test(NAME target SOURCES file... LIBRARIES target... [INCLUDES dir...] [QT])
#
# One GoogleTest program, its cases discovered by CTest. The tests find the
# samples through KESSADON_SOURCE_DIR and save screenshots to
# KESSADON_SCREENS_DIR. A QT test brings its own main (an application object)
# and runs on the offscreen platform; the others use GoogleTest's main.
# INCLUDES are folders, relative to the calling one, for shared test headers.
function(kessadon_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "QT" "NAME" "SOURCES;LIBRARIES;INCLUDES")
  add_executable(${arg_NAME} ${arg_SOURCES})
  target_include_directories(${arg_NAME} PRIVATE ${arg_INCLUDES})
  target_compile_definitions(${arg_NAME} PRIVATE
    KESSADON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KESSADON_SCREENS_DIR="${CMAKE_BINARY_DIR}/screens"
    KESSADON_VERSION="${PROJECT_VERSION}")
  if(arg_QT)
    target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBRARIES} GTest::gtest)
    set(properties PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBRARIES} GTest::gtest_main)
    set(properties "")
  endif()
  # Listing the cases starts the program, which takes a while under the sanitizers.
  gtest_discover_tests(${arg_NAME} DISCOVERY_TIMEOUT 60 ${properties})
endfunction()
