// The few terminal and signal details the tool needs, behind plain
// functions: POSIX where it exists, a quiet fallback elsewhere.
#pragma once

#include <cstdio>
#include <string>

namespace quenvik::tool {

// True when the stream is an interactive terminal.
bool isTerminal(std::FILE* stream);

// From now on Ctrl-C (SIGINT) calls onInterrupt once, in signal context
// (it may only touch lock-free atomics), and raises interrupted().
void catchInterrupt(void (*onInterrupt)());
bool interrupted();

// Ctrl-C ends the program again, as by default, and interrupted() is false.
void releaseInterrupt();

// On a terminal: drops whatever was typed and not yet read (whole lines and
// a line begun); true when a whole line was dropped. Does nothing elsewhere,
// so input from a pipe or a file is read in full.
bool discardTypeAhead(std::FILE* stream);

// One line of input, at most maxLength bytes kept (the rest of a longer
// line is read and dropped; `truncated` tells). False at end of input.
bool readInputLine(std::FILE* stream, std::string& line, std::size_t maxLength, bool& truncated);

}  // namespace quenvik::tool
