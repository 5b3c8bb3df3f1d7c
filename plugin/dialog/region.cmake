target_sources(glintcore PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/clipCTRL.cpp)
