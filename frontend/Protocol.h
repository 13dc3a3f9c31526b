// The protocol loop: reads the manager's commands and answers them.
#pragma once

#include <cstdio>

namespace quenvik {

constexpr const char* kEngineVersion = "5.1.1";

// Runs the loop on standard input until END or the end of input; decisions
// run on think threads. Returns the exit status.
int runProtocol();

// The same loop on any input stream, with decisions started by `launch`
// (for instance one that decides on the calling thread).
int runProtocolOn(std::FILE* input, void (*launch)());

}  // namespace quenvik
