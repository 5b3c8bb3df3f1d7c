glint_add_test(dialog_preview_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/preview_test.cpp
  LIBRARIES glintcore glinthost testsupport)
target_include_directories(dialog_preview_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/toolbox)
target_compile_definitions(dialog_preview_tests PRIVATE
  GLINT_BUNDLE_PATH="${CMAKE_BINARY_DIR}/Glintweave.bundle"
  GLINT_ARTIFACT_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(dialog_preview_tests GlintweaveBundle)
