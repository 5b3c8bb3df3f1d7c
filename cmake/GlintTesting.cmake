# glint_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# One GoogleTest program; its cases are listed when the tests run, so cross builds list
# them through the emulator.
function(glint_add_test theName)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES")
  add_executable(${theName} ${ARG_SOURCES})
  target_link_libraries(${theName} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  gtest_discover_tests(${theName} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "GLINT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
