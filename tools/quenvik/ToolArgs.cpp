#include "tools/quenvik/ToolArgs.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "core/EngineState.h"
#include "rules/Position.h"
#include "think/Game.h"

namespace quenvik::tool {

namespace {

bool readInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  if (errno != 0 || *end != '\0' || end == begin || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::vector<std::pair<int, int>> parseMoves(const std::string& text) {
  std::vector<std::pair<int, int>> moves;
  std::istringstream words(text);
  std::string word;
  while (words >> word) moves.push_back(parseCell(word));
  return moves;
}

}  // namespace

std::pair<int, int> parseCell(const std::string& text) {
  const auto comma = text.find(',');
  int x = 0, y = 0;
  if (comma == std::string::npos || !readInt(text.substr(0, comma), x) || !readInt(text.substr(comma + 1), y)) {
    throw UsageError("unreadable cell '" + text + "' (expected x,y)");
  }
  return {x, y};
}

int parseIntOption(const std::string& name, const std::string& text) {
  int value = 0;
  if (!readInt(text, value)) throw UsageError("--" + name + " needs a whole number, got '" + text + "'");
  return value;
}

ToolArgs parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& extraOptions) {
  ToolArgs result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) throw UsageError("unexpected argument '" + arg + "'");
    const std::string name = arg.substr(2);
    const bool known = name == "size" || name == "rule" || name == "moves" || extraOptions.count(name) != 0;
    if (!known) throw UsageError("unknown option '" + arg + "'");
    if (i + 1 >= args.size()) throw UsageError("option '" + arg + "' needs a value");
    const std::string& value = args[++i];
    if (name == "size") {
      result.position.size = parseIntOption(name, value);
      if (result.position.size < kMinBoardSize || result.position.size > kMaxBoardSize) {
        throw UsageError("--size must be 5 to 20, got " + value);
      }
    } else if (name == "rule") {
      if (value != "freestyle" && value != "exact" && value != "renju") {
        throw UsageError("unknown rule '" + value + "' (freestyle, exact or renju)");
      }
      result.position.rule = value;
    } else if (name == "moves") {
      result.position.moves = parseMoves(value);
    } else {
      result.options[name] = value;
    }
  }
  // Moves are checked against the final size, whatever the option order.
  const int n = result.position.size;
  std::vector<bool> taken(static_cast<std::size_t>(n * n), false);
  if (result.position.moves.size() > static_cast<std::size_t>(n * n)) throw UsageError("more moves than cells");
  for (const auto& [x, y] : result.position.moves) {
    const std::string cell = std::to_string(x) + "," + std::to_string(y);
    if (x < 0 || x >= n || y < 0 || y >= n) throw UsageError("move " + cell + " is off the board");
    if (taken[static_cast<std::size_t>(y * n + x)]) throw UsageError("move " + cell + " is on an occupied cell");
    taken[static_cast<std::size_t>(y * n + x)] = true;
  }
  return result;
}

std::pair<int, int> requireEmptyCell(const Position& position, const std::string& text) {
  const auto cell = parseCell(text);
  const int n = position.size;
  if (cell.first < 0 || cell.first >= n || cell.second < 0 || cell.second >= n) {
    throw UsageError("cell " + text + " is off the board");
  }
  for (const auto& move : position.moves) {
    if (move == cell) throw UsageError("cell " + text + " is occupied");
  }
  return cell;
}

void setUpPosition(const Position& position) {
  resetEngine();
  engine.gameSize = position.size;
  engine.exactFive = position.rule == "exact" ? 1 : 0;
  engine.renju = position.rule == "renju" ? 1 : 0;
  seedRandom(kMainThreadSeed);
  newGame();
  engine.recordCount = 0;
  for (const auto& [x, y] : position.moves) engine.recordMoves[engine.recordCount++] = cellIndexOf(x, y);
  setUpEngineBoard({0, 0, position.size});
  engine.positionKey = computePositionKey();
  // The analysis runs as a think thread would: its own generator from state 1.
  seedRandom(kThinkThreadSeed);
}

}  // namespace quenvik::tool
