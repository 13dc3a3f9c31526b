// The protocol's own lines: replies, MESSAGE lines and moves, written with
// formatted output to the stream the front end was given. Everything the
// engine tells a manager is worded here.
#pragma once

#include <cstdio>

#include "think/Reporter.h"

namespace quenvik {

// printf-style write of one or more lines; no line feed is added.
void emitTo(std::FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A decision's reports as protocol lines on `stream`, each flushed.
Reporter protocolReporter(std::FILE* stream);

// After END the engine says nothing more: a decision still unwinding prints
// no further report and no move. Returns once no report is half-way out.
void closeDecisionOutput();

// Lets decisions report again (a new run of the protocol loop).
void openDecisionOutput();

}  // namespace quenvik
