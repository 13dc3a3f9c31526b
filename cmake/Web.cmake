# The WebAssembly targets (Emscripten, cmake/emscripten-wasm.cmake):
#   quenvik.js                         the tool as a node program (its bench)
#   quenvik-engine.js                  the engine of the board page in web/: it
#                                      reads the lines its worker hands it (or,
#                                      under node, tests/web/engine-stdio.cjs)
# Each comes with its .wasm and the .worker.js that starts its threads.

# The tool is a node program: it ends when main returns. The console engine
# under node is quenvik-engine (tests/web/engine-stdio.cjs): Emscripten's own
# standard input reads only what is already there, not a manager's live pipe,
# so pbrain-quenvik is built only on request.
if(QUENVIK_TOOL)
  target_link_options(quenvik PRIVATE -sEXIT_RUNTIME=1)
endif()
set_target_properties(pbrain-quenvik PROPERTIES EXCLUDE_FROM_ALL ON)

# Node too, for tests/web/engine-stdio.cjs; main returns only after END or
# the end of input, which a page never sends.
add_executable(quenvik-engine frontend/web/BrowserMain.cpp)
target_link_libraries(quenvik-engine PRIVATE quenvik_engine)
target_link_options(quenvik-engine PRIVATE -sENVIRONMENT=web,worker,node -sEXIT_RUNTIME=1
                    "-sEXPORTED_FUNCTIONS=_main,_quenvikSendLine,_quenvikEndInput" "-sEXPORTED_RUNTIME_METHODS=ccall")

# The page's engine gets a fresh, zeroed memory: its start function need not
# write zeros over the 270 MB engine state, which would make a browser give
# the page memory for all of it (tools/wasm-skip-bss-fill says more).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET quenvik-engine POST_BUILD
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/wasm-skip-bss-fill
                           $<TARGET_FILE_DIR:quenvik-engine>/quenvik-engine.wasm
                   VERBATIM)
