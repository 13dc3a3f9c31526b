#include "tools/quenvik/GameRules.h"

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/LineViews.h"
#include "rules/Position.h"
#include "rules/Renju.h"

namespace quenvik::tool {

namespace {

bool blackToMove(const Position& position) { return position.moves.size() % 2 == 0; }

}  // namespace

bool makesFive(const Position& position, Move move) {
  setUpPosition(position);
  // Protocol x is the engine row, y the column; the mover is the side to move.
  return stoneMakesFive(sideToMove(), move.first, move.second);
}

std::string forbiddenKindOf(const Position& position, Move move) {
  if (!renju(position.rule) || !blackToMove(position)) return "";
  setUpPosition(position);
  int kind = Allowed;
  // The foul test recurses through nested threes: give it a search stack.
  runOnSearchStack([&] {
    LineViews views;
    buildLineViews(views);
    kind = forbiddenKind(views, move.first, move.second);
  });
  return forbiddenKindName(kind);
}

std::vector<Move> forbiddenCells(const Position& position) {
  std::vector<Move> cells;
  if (!renju(position.rule) || !blackToMove(position)) return cells;
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
