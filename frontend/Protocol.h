// The protocol loop: reads the manager's commands and answers them.
#pragma once

#include <cstdio>

namespace quenvik {

// QUENVIK_VERSION is the project version, set by the build.
constexpr const char* kEngineVersion = QUENVIK_VERSION;

// Runs the loop on standard input until END or the end of input; decisions
// run on think threads. Returns the exit status.
int runProtocol();

// The same loop on any input stream, with decisions started by `launch`
// (for instance one that decides on the calling thread).
int runProtocolOn(std::FILE* input, void (*launch)());

}  // namespace quenvik
