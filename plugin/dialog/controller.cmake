# The dialog's controller: the window, its commands, OK and Cancel.
target_sources(glintcore PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog/configdlghandler.cpp)
