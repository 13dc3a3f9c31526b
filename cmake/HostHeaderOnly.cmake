# Header-only libraries installed on the host (Debian's libcli11-dev and
# nlohmann-json3-dev) work for any target. A cross toolchain searches only its
# own root, and adding /usr/include itself would bring in the host's C library
# headers, so a small root holding links to just those libraries and their
# CMake package files joins the search root: find_package(CLI11) and
# find_package(nlohmann_json) then work as natively, and so does a plain
# #include of their headers. Included by the cross toolchain files.
set(QUENVIK_HOST_HEADER_ONLY
    include/CLI share/cmake/CLI11
    include/nlohmann share/cmake/nlohmann_json)
set(_quenvik_host_root "${CMAKE_BINARY_DIR}/host-header-only")
foreach(_entry IN LISTS QUENVIK_HOST_HEADER_ONLY)
  if(EXISTS "/usr/${_entry}" AND NOT EXISTS "${_quenvik_host_root}/usr/${_entry}")
    get_filename_component(_parent "${_quenvik_host_root}/usr/${_entry}" DIRECTORY)
    file(MAKE_DIRECTORY "${_parent}")
    file(CREATE_LINK "/usr/${_entry}" "${_quenvik_host_root}/usr/${_entry}" SYMBOLIC)
  endif()
endforeach()
list(APPEND CMAKE_FIND_ROOT_PATH "${_quenvik_host_root}")
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${_quenvik_host_root}/usr/include")
