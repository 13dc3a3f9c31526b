# Builds the engine as WebAssembly with Debian's Emscripten (tools/build-web):
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten-wasm.cmake
# Emscripten's own toolchain file, then the host's header-only libraries, so
# the quenvik tool (and its bench) builds for WebAssembly too.
find_program(QUENVIK_EMCC emcc REQUIRED)
get_filename_component(_quenvik_emcc "${QUENVIK_EMCC}" REALPATH)
# Debian's emcc is a script that runs /usr/share/emscripten/emcc.py.
if(EXISTS "/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake")
  set(QUENVIK_EMSCRIPTEN_ROOT /usr/share/emscripten)
else()
  get_filename_component(QUENVIK_EMSCRIPTEN_ROOT "${_quenvik_emcc}" DIRECTORY)
endif()
include("${QUENVIK_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

include("${CMAKE_CURRENT_LIST_DIR}/HostHeaderOnly.cmake")

# Every object shares memory between threads (Web Workers): the engine's
# think and timer threads, and the protocol loop on a thread of its own so
# the runtime's thread stays free to pass output and input along.
set(CMAKE_CXX_FLAGS_INIT "-pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-pthread -sPROXY_TO_PTHREAD -sPTHREAD_POOL_SIZE=4 -sINITIAL_MEMORY=320MB -sALLOW_MEMORY_GROWTH=1 -sTOTAL_STACK=8MB")
