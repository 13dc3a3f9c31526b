// Reading one protocol line with a length limit that nothing can overflow.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace quenvik {

constexpr std::size_t kMaxCommandLine = 99;  // characters of text outside a BOARD block
constexpr std::size_t kMaxBlockLine = 98;    // inside one

enum class LineStatus { Line, TooLong, End };

// Reads up to the next line feed. A carriage return before it is dropped.
// A longer line than `limit` is consumed whole and reported as TooLong; End
// comes only when the input has nothing left.
LineStatus readProtocolLine(std::FILE* input, std::string& line, std::size_t limit);

}  // namespace quenvik
