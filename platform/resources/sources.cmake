# The Resource Manager's sources, for the platform library and for programs that compile them
# directly (build-machine tools, fuzz targets).
set(GLINT_RESOURCES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/resfileparse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resfileflatten.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resfilechain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resfileopen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resourcehandles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/indstring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filewrite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/finderinfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fsspec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fsref.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folders.cpp)
