# The WebAssembly targets (Emscripten, cmake/emscripten-wasm.cmake):
#   pbrain-quenvik.js and quenvik.js   the engine and the tool as node programs
#                                      (standard input and output, the tool's bench)
#   quenvik-engine.js                  the engine of the board page in web/: it
#                                      reads the lines its worker hands it
# Each comes with its .wasm and the .worker.js that starts its threads.

# Node programs end when main returns.
target_link_options(pbrain-quenvik PRIVATE -sEXIT_RUNTIME=1)
if(QUENVIK_TOOL)
  target_link_options(quenvik PRIVATE -sEXIT_RUNTIME=1)
endif()

add_executable(quenvik-engine frontend/web/BrowserMain.cpp)
target_link_libraries(quenvik-engine PRIVATE quenvik_engine)
target_link_options(quenvik-engine PRIVATE -sENVIRONMENT=web,worker "-sEXPORTED_FUNCTIONS=_main,_quenvikSendLine"
                    "-sEXPORTED_RUNTIME_METHODS=ccall")
