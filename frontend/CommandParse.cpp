#include "frontend/CommandParse.h"

#include <cctype>
#include <climits>

namespace quenvik {

namespace {

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// A cursor over one line with the conversions the protocol's patterns use.
struct Cursor {
  std::string_view text;
  std::size_t at = 0;

  void skipBlanks() {
    while (at < text.size() && isBlank(text[at])) ++at;
  }

  // %s: skips blanks, then takes the word up to the next blank.
  bool word(std::string_view& out) {
    skipBlanks();
    const std::size_t begin = at;
    while (at < text.size() && !isBlank(text[at])) ++at;
    out = text.substr(begin, at - begin);
    return at > begin;
  }

  // %d: skips blanks, an optional sign, then at least one digit. A number
  // that does not fit 32 bits is unreadable rather than wrapped.
  bool number(int32_t& out) {
    skipBlanks();
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::size_t digitsBegin = at;
    int64_t magnitude = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
      magnitude = magnitude * 10 + (text[at] - '0');
      if (magnitude > int64_t{INT_MAX} + 1) return false;
      ++at;
    }
    if (at == digitsBegin) return false;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT_MAX) return false;
    out = static_cast<int32_t>(value);
    return true;
  }

  // A literal character with no blanks skipped before it.
  bool literal(char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
  }
};

}  // namespace

std::string commandWord(std::string_view line) {
  Cursor cursor{line};
  std::string_view word;
  if (!cursor.word(word)) return {};
  std::string upper(word);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool parseOneNumber(std::string_view line, int32_t& value) {
  Cursor cursor{line};
  std::string_view command;
  return cursor.word(command) && cursor.number(value);
}

bool parseOptionalNumber(std::string_view line, int32_t& value) {
  Cursor cursor{line};
  std::string_view command;
  cursor.word(command);
  cursor.skipBlanks();
  if (cursor.at == line.size()) {
    value = 0;
    return true;
  }
  return cursor.number(value);
}

bool parseNumberPair(std::string_view line, int32_t& first, int32_t& second) {
  Cursor cursor{line};
  std::string_view command;
  return cursor.word(command) && cursor.number(first) && cursor.literal(',') && cursor.number(second);
}

bool parseInfo(std::string_view line, std::string& key, int32_t& value) {
  Cursor cursor{line};
  std::string_view command, keyWord;
  if (!cursor.word(command) || !cursor.word(keyWord) || keyWord.size() > kMaxInfoKeyLength) return false;
  if (!cursor.number(value)) return false;
  key.assign(keyWord);
  return true;
}

bool parseStoneLine(std::string_view line, int32_t& x, int32_t& y, int32_t& owner) {
  Cursor cursor{line};
  return cursor.number(x) && cursor.literal(',') && cursor.number(y) && cursor.literal(',') && cursor.number(owner);
}

bool parseCellLine(std::string_view line, int32_t& x, int32_t& y) {
  Cursor cursor{line};
  return cursor.number(x) && cursor.literal(',') && cursor.number(y);
}

bool isBlankLine(std::string_view line) {
  for (char c : line) {
    if (!isBlank(c)) return false;
  }
  return true;
}

}  // namespace quenvik
