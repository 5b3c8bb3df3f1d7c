glint_add_test(region_control_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/clipCTRL_test.cpp
  LIBRARIES glintcore testsupport)
target_include_directories(region_control_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/toolbox)
