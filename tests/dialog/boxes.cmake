glint_add_test(dialog_boxes_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/boxes_test.cpp
  LIBRARIES glintcore testsupport)
target_include_directories(dialog_boxes_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/toolbox)

# The bundle's manual holds what the dialog's Help button promises.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(GLINT_PDFTOTEXT pdftotext)
  if(GLINT_PDFTOTEXT)
    add_test(NAME dialog_manual_in_bundle
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/manual-check.sh ${GLINT_PDFTOTEXT}
                     ${CMAKE_BINARY_DIR}/Glintweave.bundle/Contents/Resources/manual.pdf)
  endif()
endif()
