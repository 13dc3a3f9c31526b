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

# Header-only libraries installed on the host (CLI11, nlohmann-json).
include("${CMAKE_CURRENT_LIST_DIR}/HostHeaderOnly.cmake")
