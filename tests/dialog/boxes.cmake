glint_add_test(dialog_boxes_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/boxes_test.cpp
  LIBRARIES glintcore testsupport)
target_include_directories(dialog_boxes_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/toolbox)
