glint_add_test(dialog_controller_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/controller_test.cpp
  LIBRARIES glintcore glinthost testsupport)
target_include_directories(dialog_controller_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
  ${PROJECT_SOURCE_DIR}/tests/toolbox ${PROJECT_SOURCE_DIR}/tests/host)
target_compile_definitions(dialog_controller_tests PRIVATE
  GLINT_BUNDLE_PATH="${CMAKE_BINARY_DIR}/Glintweave.bundle"
  GLINT_ARTIFACT_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(dialog_controller_tests GlintweaveBundle)
