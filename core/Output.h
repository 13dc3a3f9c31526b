// The engine's one output stream: protocol replies, MESSAGE lines and moves.
#pragma once

#include <cstdio>

namespace quenvik {

// Standard output unless redirected (tests and fuzzing).
std::FILE* outputStream();
void setOutputStream(std::FILE* stream);

// printf-style write to the output stream; no line feed is added.
void emit(const char* format, ...) __attribute__((format(printf, 1, 2)));
void flushOutput();

}  // namespace quenvik
