# The live preview, its sliders and the About window.
target_sources(glintcore PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/dlgUtils.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/sliderHandlers.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/aboutwindow.cpp)
set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/dialog/aboutwindow.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  GLINT_VERSION="${PROJECT_VERSION}" GLINT_PROCESSOR_TAG="${GLINT_PROCESSOR_TAG}")
