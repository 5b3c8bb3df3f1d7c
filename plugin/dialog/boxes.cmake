target_sources(glintcore PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/colorCTRL.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/pictCTRL.cpp)

# The manual, typeset from its groff source into the bundle. Cross builds leave it out.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(GLINT_GROFF groff REQUIRED)
  set(GLINT_MANUAL_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/Resources/manual.ms)
  add_custom_command(
    OUTPUT ${GLINT_BUNDLE_DIR}/Resources/manual.pdf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GLINT_BUNDLE_DIR}/Resources
    COMMAND ${GLINT_GROFF} -ms -t -Tpdf -dpaper=a4 -P-pa4 ${GLINT_MANUAL_SOURCE}
            > ${GLINT_BUNDLE_DIR}/Resources/manual.pdf.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${GLINT_BUNDLE_DIR}/Resources/manual.pdf.tmp
            ${GLINT_BUNDLE_DIR}/Resources/manual.pdf
    DEPENDS ${GLINT_MANUAL_SOURCE}
    COMMENT "Typesetting the manual")
  add_custom_target(GlintweaveManual ALL DEPENDS ${GLINT_BUNDLE_DIR}/Resources/manual.pdf)
endif()
