// Reading the manager's lines: the command word and the numbers behind it,
// read the way a scanf pattern would, but with every number checked to fit
// a 32-bit signed integer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quenvik {

// The first whitespace-delimited word, upper-cased (ASCII a-z only).
// Empty when the line holds no word.
std::string commandWord(std::string_view line);

// "%s %d": the number after the command word.
bool parseOneNumber(std::string_view line, int32_t& value);

// "%s [%d]": the number after the command word, 0 when nothing follows it;
// false when what follows is no number.
bool parseOptionalNumber(std::string_view line, int32_t& value);

// "%s %d,%d": two numbers after the command word, the comma right after the
// first.
bool parseNumberPair(std::string_view line, int32_t& first, int32_t& second);

// "%s %s %d": the key (at most 77 characters) and a number.
bool parseInfo(std::string_view line, std::string& key, int32_t& value);

// "%d,%d,%d": a BOARD block stone line.
bool parseStoneLine(std::string_view line, int32_t& x, int32_t& y, int32_t& owner);

// "%d,%d": a SWAP2BOARD block stone line (no owner: the order tells).
bool parseCellLine(std::string_view line, int32_t& x, int32_t& y);

// True for a line with no characters but blanks.
bool isBlankLine(std::string_view line);

constexpr std::size_t kMaxInfoKeyLength = 77;

}  // namespace quenvik
