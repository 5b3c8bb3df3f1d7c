# glint_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [SANITIZED_CASES <gtest filter>])
# One GoogleTest program; its cases are listed when the tests run, so cross builds list
# them through the emulator. SANITIZED_CASES narrows the cases the sanitizer build runs, for
# end-to-end programs whose other cases only repeat code paths those already take there.
function(glint_add_test theName)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SANITIZED_CASES" "SOURCES;LIBRARIES")
  add_executable(${theName} ${ARG_SOURCES})
  target_link_libraries(${theName} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  set(theFilter)
  if(GLINT_SANITIZE AND ARG_SANITIZED_CASES)
    set(theFilter TEST_FILTER ${ARG_SANITIZED_CASES})
  endif()
  gtest_discover_tests(${theName} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 ${theFilter}
                       PROPERTIES ENVIRONMENT "GLINT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
