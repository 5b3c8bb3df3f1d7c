# glint_host_tool(<variable> <tool>) sets <variable> to the path of a build-machine tool from
# tools/ and <variable>_DEPENDS to what a custom command must depend on to have it built.
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(GLINT_HOST_TOOL_DIR ${CMAKE_BINARY_DIR}/hosttools)
  ExternalProject_Add(hosttools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools
    BINARY_DIR ${GLINT_HOST_TOOL_DIR}
    CMAKE_ARGS -G Ninja -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
               -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  function(glint_host_tool theVariable theTool)
    set(${theVariable} ${GLINT_HOST_TOOL_DIR}/${theTool} PARENT_SCOPE)
    set(${theVariable}_DEPENDS hosttools PARENT_SCOPE)
  endfunction()
else()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
  function(glint_host_tool theVariable theTool)
    set(${theVariable} $<TARGET_FILE:${theTool}> PARENT_SCOPE)
    set(${theVariable}_DEPENDS ${theTool} PARENT_SCOPE)
  endfunction()
endif()
