#include "tools/quenvik/GameRules.h"

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/LineViews.h"
#include "rules/Renju.h"

namespace quenvik::tool {

namespace {

constexpr int kFive = 5;
constexpr int kDirectionSteps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

bool blackToMove(const Position& position) { return position.moves.size() % 2 == 0; }

const char* foulName(int kind) {
  switch (kind) {
    case DoubleThree:
      return "double-three";
    case DoubleFour:
      return "double-four";
    case OverlineKind:
      return "overline";
    default:
      return "";
  }
}

}  // namespace

bool makesFive(const Position& position, Move move) {
  const int n = position.size;
  // 1 for the mover's stones, 0 elsewhere.
  std::vector<int> own(static_cast<std::size_t>(n * n), 0);
  const std::size_t parity = position.moves.size() % 2;
  for (std::size_t i = parity; i < position.moves.size(); i += 2) {
    own[static_cast<std::size_t>(position.moves[i].second * n + position.moves[i].first)] = 1;
  }
  const auto ownAt = [&](int x, int y) {
    return x >= 0 && x < n && y >= 0 && y < n && own[static_cast<std::size_t>(y * n + x)] == 1;
  };
  const bool exactOnly = position.rule == "exact" || (position.rule == "renju" && blackToMove(position));
  for (const auto& step : kDirectionSteps) {
    int run = 1;
    for (int k = 1; ownAt(move.first + k * step[0], move.second + k * step[1]); ++k) ++run;
    for (int k = 1; ownAt(move.first - k * step[0], move.second - k * step[1]); ++k) ++run;
    if (exactOnly ? run == kFive : run >= kFive) return true;
  }
  return false;
}

std::string forbiddenKindOf(const Position& position, Move move) {
  if (position.rule != "renju" || !blackToMove(position)) return "";
  setUpPosition(position);
  int kind = Allowed;
  // The foul test recurses through nested threes: give it a search stack.
  runOnSearchStack([&] {
    LineViews views;
    buildLineViews(views);
    kind = forbiddenKind(views, move.first, move.second);
  });
  return foulName(kind);
}

std::vector<Move> forbiddenCells(const Position& position) {
  std::vector<Move> cells;
  if (position.rule != "renju" || !blackToMove(position)) return cells;
  setUpPosition(position);
  runOnSearchStack([&] {
    LineViews views;
    buildLineViews(views);
    const int n = engine.boardSize;
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        if (engine.board[x][y] == kEmpty && forbiddenKind(views, x, y) != Allowed) cells.push_back({x, y});
      }
    }
  });
  return cells;
}

}  // namespace quenvik::tool
