# Cross-compiles the Windows x64 executables on Linux with MinGW-w64 (the
# POSIX-threads flavour, which std::thread and std::mutex need).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENVIK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUENVIK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENVIK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENVIK_MINGW_PREFIX}-windres)

# A tournament machine has no MinGW runtime: link libgcc, libstdc++ and
# winpthreads into the .exe so nothing but system DLLs is needed beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries and headers come from the MinGW sysroot only; programs (code
# generators, if any) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUENVIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only libraries installed on the host (Debian's libcli11-dev and
# nlohmann-json3-dev) work for any target. Adding /usr/include itself would
# bring in the host's C library headers, so a small root holding links to just
# those libraries and their CMake package files joins the search root:
# find_package(CLI11) and find_package(nlohmann_json) then work as natively,
# and so does a plain #include of their headers.
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
