#include "frontend/LineInput.h"

namespace quenvik {

LineStatus readProtocolLine(std::FILE* input, std::string& line, std::size_t limit) {
  line.clear();
  bool tooLong = false;
  bool readAnything = false;
  for (;;) {
    const int c = std::getc(input);
    if (c == EOF) {
      if (!readAnything) return LineStatus::End;
      break;
    }
    readAnything = true;
    if (c == '\n') break;
    // Keep one character beyond the limit so a trailing carriage return can
    // still be told apart from a too-long line.
    if (line.size() <= limit) {
      line.push_back(static_cast<char>(c));
    } else {
      tooLong = true;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (tooLong || line.size() > limit) return LineStatus::TooLong;
  return LineStatus::Line;
}

}  // namespace quenvik
