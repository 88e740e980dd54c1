# In a cross build the header-only libraries (nlohmann-json, CLI11) are taken from the host's
# include tree. Adding that whole tree would pull in the host's C library headers, so the build
# sees a folder holding links to just these two, and no host library is ever linked.
set(PARVEX_HOST_INCLUDE_DIR /usr/include CACHE PATH "Host include tree with nlohmann/ and CLI/")
set(_parvex_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_parvex_headers})
foreach(dir nlohmann CLI)
  if(NOT EXISTS ${PARVEX_HOST_INCLUDE_DIR}/${dir})
    message(FATAL_ERROR "${PARVEX_HOST_INCLUDE_DIR}/${dir} is missing (scripts/deps installs it)")
  endif()
  file(CREATE_LINK ${PARVEX_HOST_INCLUDE_DIR}/${dir} ${_parvex_headers}/${dir} SYMBOLIC)
endforeach()

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_parvex_headers}
                      INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${_parvex_headers})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_parvex_headers}
                      INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${_parvex_headers})
