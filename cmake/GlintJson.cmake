# glint_json: Debian's header-only nlohmann-json for every target. Only its own folder goes on
# the include path (through a link in the build tree), so cross builds never see /usr/include.
set(GLINT_JSON_INCLUDE ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${GLINT_JSON_INCLUDE})
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann-json is missing: run scripts/install-deps.sh")
endif()
file(CREATE_LINK /usr/include/nlohmann ${GLINT_JSON_INCLUDE}/nlohmann SYMBOLIC)
add_library(glint_json INTERFACE)
target_include_directories(glint_json SYSTEM INTERFACE ${GLINT_JSON_INCLUDE})
