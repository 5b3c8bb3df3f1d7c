target_sources(glintcore PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/colorCTRL.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/pictCTRL.cpp)
