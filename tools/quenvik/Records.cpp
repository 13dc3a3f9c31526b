#include "tools/quenvik/Records.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <sstream>

#include "core/EngineState.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

namespace {

// SGF variations are followed down their first branch; deeper nesting than
// this is refused rather than recursed into.
constexpr int kMaxSgfNesting = 64;
constexpr const char* kPsqHeader = "Piskvorky";
constexpr std::size_t kReadChunk = 65536;
// A record of thousands of games is a few MiB; anything far larger is not one.
constexpr std::size_t kMaxFileBytes = 64u << 20;

[[noreturn]] void refuseAt(const std::string& where, const std::string& what) { throw UsageError(where + ": " + what); }

std::string lineAt(const std::string& name, int line) { return name + ":" + std::to_string(line); }

bool readWholeInt(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  std::size_t start = text[0] == '-' ? 1 : 0;
  if (start == text.size()) return false;
  long parsed = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    parsed = parsed * 10 + (text[i] - '0');
  }
  value = static_cast<int>(start == 1 ? -parsed : parsed);
  return true;
}

std::string trim(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream stream(text);
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void requireSize(int size, const std::string& where) {
  if (size < kMinBoardSize || size > kMaxBoardSize) {
    refuseAt(where, "board size " + std::to_string(size) + " is out of range (5 to 20)");
  }
}

std::string cellText(Move move) { return std::to_string(move.first) + "," + std::to_string(move.second); }

// Each move on the board and on an empty cell. where(i) names the place of
// move i in the file, written(i) the move as the file writes it.
template <typename Where, typename Written>
void checkMoves(const std::vector<Move>& moves, int size, Where where, Written written) {
  const std::string board = "the " + std::to_string(size) + "x" + std::to_string(size) + " board";
  std::vector<std::size_t> takenBy(static_cast<std::size_t>(size * size), 0);  // move number, from 1
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const auto [x, y] = moves[i];
    if (x < 0 || x >= size || y < 0 || y >= size) refuseAt(where(i), "move " + written(i) + " is off " + board);
    std::size_t& taker = takenBy[static_cast<std::size_t>(y * size + x)];
    if (taker != 0) refuseAt(where(i), "move " + written(i) + " is on a cell taken by move " + std::to_string(taker));
    taker = i + 1;
  }
}

// ---- SGF ----

struct SgfMove {
  Move move;
  int line;
};

struct SgfGame {
  int line = 1;  // where the game starts
  int size = 15;
  int sizeLine = 0;
  std::optional<Rule> rule;
  std::string black, white, result;
  std::vector<SgfMove> moves;
  std::vector<std::string> written;  // each move as the file writes it: B[hh]
};

class SgfReader {
 public:
  SgfReader(const std::string& text, const std::string& name) : text_(text), name_(name) {}

  std::vector<SgfGame> readGames() {
    std::vector<SgfGame> games;
    skipSpace();
    while (pos_ < text_.size()) {
      if (text_[pos_] != '(') refuseAt(lineAt(name_, line_), "expected '(' to open a game");
      SgfGame game;
      game.line = line_;
      readTree(game, true, 0);
      games.push_back(std::move(game));
      skipSpace();
    }
    return games;
  }

 private:
  const std::string& text_;
  const std::string& name_;
  std::size_t pos_ = 0;
  int line_ = 1;

  void advance() {
    if (text_[pos_] == '\n') ++line_;
    ++pos_;
  }
  void skipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) advance();
  }
  [[noreturn]] void refuseHere(const std::string& what) { refuseAt(lineAt(name_, line_), what); }

  // "(" nodes, then variations, then ")"; only the first variation counts.
  void readTree(SgfGame& game, bool keep, int depth) {
    if (depth >= kMaxSgfNesting) refuseHere("variations nested too deep");
    advance();  // '('
    skipSpace();
    bool firstNode = depth == 0;
    while (pos_ < text_.size() && text_[pos_] == ';') {
      advance();
      readNode(game, keep, firstNode);
      firstNode = false;
      skipSpace();
    }
    bool firstVariation = true;
    while (pos_ < text_.size() && text_[pos_] == '(') {
      readTree(game, keep && firstVariation, depth + 1);
      firstVariation = false;
      skipSpace();
    }
    if (pos_ >= text_.size()) refuseHere("the game is not closed with ')'");
    if (text_[pos_] != ')') refuseHere(std::string("unexpected '") + text_[pos_] + "' in a game");
    advance();
  }

  void readNode(SgfGame& game, bool keep, bool root) {
    skipSpace();
    while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) {
      const int propertyLine = line_;
      std::string ident;
      while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) {
        if (std::isupper(static_cast<unsigned char>(text_[pos_]))) ident.push_back(text_[pos_]);
        advance();
      }
      skipSpace();
      std::vector<std::string> values;
      while (pos_ < text_.size() && text_[pos_] == '[') values.push_back(readValue());
      if (values.empty()) refuseAt(lineAt(name_, propertyLine), "property " + ident + " has no value");
      if (keep) applyProperty(game, ident, values.front(), propertyLine, root);
      skipSpace();
    }
  }

  std::string readValue() {
    advance();  // '['
    std::string value;
    while (pos_ < text_.size() && text_[pos_] != ']') {
      if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) advance();
      value.push_back(text_[pos_]);
      advance();
    }
    if (pos_ >= text_.size()) refuseHere("a property value is not closed with ']'");
    advance();  // ']'
    return value;
  }

  void applyProperty(SgfGame& game, const std::string& ident, const std::string& value, int line, bool root) {
    const std::string where = lineAt(name_, line);
    if (ident == "B" || ident == "W") {
      const bool black = ident == "B";
      if (black != (game.moves.size() % 2 == 0)) refuseAt(where, ident + "[" + value + "] is out of turn");
      if (value.size() != 2 || !std::islower(static_cast<unsigned char>(value[0])) ||
          !std::islower(static_cast<unsigned char>(value[1]))) {
        refuseAt(where, "unreadable move " + ident + "[" + value + "] (two letters, a = 0)");
      }
      game.moves.push_back({{value[0] - 'a', value[1] - 'a'}, line});
      game.written.push_back(ident + "[" + value + "]");
    } else if (ident == "AB" || ident == "AW" || ident == "AE") {
      refuseAt(where, "set-up stones (" + ident + ") are not read: the game must be played move by move");
    } else if (ident == "GM" && root && trim(value) != "4") {
      refuseAt(where, "GM[" + value + "] is not a five-in-a-row game (GM[4])");
    } else if (ident == "SZ" && root) {
      readSize(game, trim(value), where);
      game.sizeLine = line;
    } else if (ident == "RU" && root) {
      game.rule = readRule(trim(value), where);
    } else if (ident == "PB" && root) {
      game.black = trim(value);
    } else if (ident == "PW" && root) {
      game.white = trim(value);
    } else if (ident == "RE" && root) {
      game.result = trim(value);
    }
  }

  static void readSize(SgfGame& game, const std::string& value, const std::string& where) {
    const auto colon = value.find(':');
    int width = 0, height = 0;
    const bool readable = colon == std::string::npos ? readWholeInt(value, width) && readWholeInt(value, height)
                                                     : readWholeInt(value.substr(0, colon), width) &&
                                                           readWholeInt(value.substr(colon + 1), height);
    if (!readable) refuseAt(where, "unreadable size SZ[" + value + "]");
    if (width != height) refuseAt(where, "the board is not square (SZ[" + value + "])");
    requireSize(width, where);
    game.size = width;
  }

  // RU is the protocol's rule mask, read as INFO rule reads it.
  static Rule readRule(const std::string& value, const std::string& where) {
    int mask = 0;
    if (!readWholeInt(value, mask) || mask < 0) refuseAt(where, "unreadable rule RU[" + value + "]");
    const std::optional<Rule> rule = ruleFromMask(mask);
    if (!rule) refuseAt(where, "RU[" + value + "] names no rule Quenvik plays");
    return *rule;
  }
};

GameRecord sgfRecord(const SgfGame& game, const std::string& name, int gameIndex) {
  GameRecord record;
  record.size = game.size;
  record.rule = game.rule;
  record.black = game.black;
  record.white = game.white;
  record.result = game.result;
  for (const SgfMove& move : game.moves) record.moves.push_back(move.move);
  checkMoves(
      record.moves, record.size,
      [&](std::size_t i) {
        return name + ": game " + std::to_string(gameIndex) + " move " + std::to_string(i + 1) + " (line " +
               std::to_string(game.moves[i].line) + ")";
      },
      [&](std::size_t i) { return game.written[i] + " (" + cellText(record.moves[i]) + ")"; });
  return record;
}

std::vector<SgfGame> readSgfGames(const std::string& text, const std::string& name) {
  std::vector<SgfGame> games = SgfReader(text, name).readGames();
  if (games.empty()) refuseAt(name, "holds no game");
  return games;
}

GameRecord readSgf(const std::string& text, const std::string& name, int gameIndex) {
  const std::vector<SgfGame> games = readSgfGames(text, name);
  if (gameIndex < 1 || gameIndex > static_cast<int>(games.size())) {
    refuseAt(name, "there is no game " + std::to_string(gameIndex) + " (the file holds " +
                       std::to_string(games.size()) + (games.size() == 1 ? " game)" : " games)"));
  }
  return sgfRecord(games[static_cast<std::size_t>(gameIndex - 1)], name, gameIndex);
}

// ---- .psq ----

// "Piskvorky WxH, L1:L2, S": the board's width and height.
int readPsqSize(const std::string& header, const std::string& where) {
  std::string rest = trim(header.substr(std::string(kPsqHeader).size()));
  const auto comma = rest.find(',');
  if (comma != std::string::npos) rest = rest.substr(0, comma);
  const auto x = rest.find('x');
  int width = 0, height = 0;
  if (x == std::string::npos || !readWholeInt(trim(rest.substr(0, x)), width) ||
      !readWholeInt(trim(rest.substr(x + 1)), height)) {
    refuseAt(where, "unreadable board size in '" + trim(header) + "' (expected Piskvorky WxH, ...)");
  }
  if (width != height) refuseAt(where, "the board is not square (" + rest + ")");
  requireSize(width, where);
  return width;
}

// A move line is "x,y,t" counted from 1; the first line without a comma
// ends the moves (brain names, then the error code).
// The lines after the moves name the two brains, Black's first, and end with
// an error code.
void readPsqPlayers(const std::vector<std::string>& lines, std::size_t first, GameRecord& record) {
  std::vector<std::string> names;
  for (std::size_t i = first; i < lines.size() && names.size() < 2; ++i) {
    const std::string line = trim(lines[i]);
    int code = 0;
    if (!line.empty() && !readWholeInt(line, code)) names.push_back(line);
  }
  if (names.size() == 2) {
    record.black = names[0];
    record.white = names[1];
  }
}

GameRecord readPsq(const std::vector<std::string>& lines, const std::string& name) {
  GameRecord record;
  record.size = readPsqSize(lines.front(), lineAt(name, 1));
  std::vector<int> moveLines;
  std::vector<std::string> written;
  std::size_t i = 1;
  for (; i < lines.size(); ++i) {
    const std::string line = trim(lines[i]);
    if (line.find(',') == std::string::npos) break;
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(trim(field));
    int x = 0, y = 0, t = 0;
    if ((fields.size() != 2 && fields.size() != 3) || !readWholeInt(fields[0], x) || !readWholeInt(fields[1], y) ||
        (fields.size() == 3 && !readWholeInt(fields[2], t))) {
      refuseAt(lineAt(name, static_cast<int>(i + 1)), "unreadable move '" + line + "' (expected x,y,time, from 1)");
    }
    record.moves.push_back({x - 1, y - 1});
    moveLines.push_back(static_cast<int>(i + 1));
    written.push_back(fields[0] + "," + fields[1]);
  }
  readPsqPlayers(lines, i, record);
  // The file counts from 1; the x,y counted from 0 follow for the other tools.
  checkMoves(
      record.moves, record.size, [&](std::size_t k) { return lineAt(name, moveLines[k]); },
      [&](std::size_t k) { return written[k] + " (" + cellText(record.moves[k]) + " counted from 0)"; });
  return record;
}

// ---- plain x,y lists ----

bool looksLikeCell(const std::string& word) {
  return !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-') &&
         word.find(',') != std::string::npos;
}

GameRecord readMoveList(const std::vector<std::string>& lines, const std::string& name, int defaultSize) {
  GameRecord record;
  record.size = defaultSize;
  std::vector<int> moveLines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::istringstream words(lines[i]);
    std::string word;
    while (words >> word) {
      const std::string where = lineAt(name, static_cast<int>(i + 1));
      const auto comma = word.find(',');
      int x = 0, y = 0;
      if (comma == std::string::npos || !readWholeInt(word.substr(0, comma), x) ||
          !readWholeInt(word.substr(comma + 1), y)) {
        refuseAt(where, "unreadable move '" + word + "' (expected x,y)");
      }
      record.moves.push_back({x, y});
      moveLines.push_back(static_cast<int>(i + 1));
    }
  }
  checkMoves(
      record.moves, record.size, [&](std::size_t i) { return lineAt(name, moveLines[i]); },
      [&](std::size_t i) { return cellText(record.moves[i]); });
  return record;
}

void requireFirstGame(const std::string& name, int gameIndex) {
  if (gameIndex != 1) refuseAt(name, "there is no game " + std::to_string(gameIndex) + " (the file holds 1 game)");
}

enum class Format { Sgf, Psq, MoveList };

// The format is told by the content; body is the text without a byte-order mark.
Format formatOf(const std::string& text, const std::string& name, std::string& body) {
  std::size_t start = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // a byte-order mark
  body = text.substr(start);
  const std::string head = trim(body.substr(0, 64));
  if (head.empty()) refuseAt(name, "the file is empty");
  if (head[0] == '(') return Format::Sgf;
  if (head.rfind(kPsqHeader, 0) == 0) return Format::Psq;
  std::istringstream words(head);
  std::string firstWord;
  words >> firstWord;
  if (looksLikeCell(firstWord)) return Format::MoveList;
  refuseAt(name, "unknown format (expected SGF, a .psq record or x,y moves)");
}

std::string readFileText(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) refuseAt(path, "cannot read the file");
  std::string text;
  char chunk[kReadChunk];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, got);
    if (text.size() > kMaxFileBytes) {
      std::fclose(file);
      refuseAt(path, "the file is too large for a game record (over 64 MiB)");
    }
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) refuseAt(path, "cannot read the file");
  return text;
}

}  // namespace

std::vector<Move> parsePosString(const std::string& text, std::vector<std::string>* written) {
  std::vector<Move> moves;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char letter = static_cast<unsigned char>(text[i]);
    if (!std::isalpha(letter))
      throw UsageError("unreadable pos '" + text + "' at character " + std::to_string(i + 1) +
                       " (expected letter then number, e.g. h8i9)");
    const std::size_t start = i;
    const int x = std::tolower(letter) - 'a';
    std::size_t digits = ++i;
    int number = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - digits < 3) {
      number = number * 10 + (text[i] - '0');
      ++i;
    }
    if (i == digits)
      throw UsageError("unreadable pos '" + text + "': no number after '" + std::string(1, static_cast<char>(letter)) +
                       "'");
    moves.push_back({x, number - 1});
    if (written != nullptr) written->push_back(text.substr(start, i - start));
  }
  return moves;
}

std::string posName(int x, int y) { return std::string(1, static_cast<char>('a' + x)) + std::to_string(y + 1); }

GameRecord parseGameText(const std::string& text, const std::string& name, int gameIndex, int defaultSize) {
  std::string body;
  switch (formatOf(text, name, body)) {
    case Format::Sgf:
      return readSgf(body, name, gameIndex);
    case Format::Psq:
      requireFirstGame(name, gameIndex);
      return readPsq(splitLines(body), name);
    case Format::MoveList:
      requireFirstGame(name, gameIndex);
      return readMoveList(splitLines(body), name, defaultSize);
  }
  return {};
}

std::vector<GameRecord> parseAllGames(const std::string& text, const std::string& name, int defaultSize) {
  std::string body;
  switch (formatOf(text, name, body)) {
    case Format::Sgf: {
      const std::vector<SgfGame> games = readSgfGames(body, name);
      std::vector<GameRecord> records;
      for (std::size_t i = 0; i < games.size(); ++i)
        records.push_back(sgfRecord(games[i], name, static_cast<int>(i + 1)));
      return records;
    }
    case Format::Psq:
      return {readPsq(splitLines(body), name)};
    case Format::MoveList:
      return {readMoveList(splitLines(body), name, defaultSize)};
  }
  return {};
}

GameRecord readGameFile(const std::string& path, int gameIndex, int defaultSize) {
  return parseGameText(readFileText(path), path, gameIndex, defaultSize);
}

std::vector<GameRecord> readAllGames(const std::string& path, int defaultSize) {
  return parseAllGames(readFileText(path), path, defaultSize);
}

}  // namespace quenvik::tool
