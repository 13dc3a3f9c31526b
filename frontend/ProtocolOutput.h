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

}  // namespace quenvik
