// The protocol loop: reads the manager's commands and answers them.
#pragma once

#include <cstdio>

#include "think/Reporter.h"

namespace quenvik {

// QUENVIK_VERSION is the project version, set by the build.
constexpr const char* kEngineVersion = QUENVIK_VERSION;

// Runs the loop on standard input until END or the end of input; decisions
// run on think threads. Returns the exit status.
int runProtocol();

// The same loop on any pair of streams, with decisions started by `launch`
// with the reporter that answers on `output` (for instance a launch that
// decides on the calling thread).
int runProtocolOn(std::FILE* input, std::FILE* output, void (*launch)(const Reporter&));

}  // namespace quenvik
