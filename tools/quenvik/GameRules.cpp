#include "tools/quenvik/GameRules.h"

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/LineReading.h"
#include "rules/LineViews.h"
#include "rules/Renju.h"

namespace quenvik::tool {

namespace {

bool blackToMove(const Position& position) { return position.moves.size() % 2 == 0; }

// The five test of the engine's line reading on the position's own board,
// the side to move playing `move` under `rule`.
bool moveMakesFive(const Position& position, Rule rule, Move move) {
  // Protocol x is the engine row, y the column, as the engine's own board.
  int32_t board[kGridWidth][kGridWidth] = {};
  for (std::size_t i = 0; i < position.moves.size(); ++i) {
    board[position.moves[i].first][position.moves[i].second] = i % 2 == 0 ? kBlack : kWhite;
  }
  const int32_t mover = blackToMove(position) ? kBlack : kWhite;
  return makesFiveOn(board, position.size, rule, mover, move.first, move.second);
}

}  // namespace

bool makesFive(const Position& position, Move move) { return moveMakesFive(position, position.rule, move); }

bool makesFlankedFive(const Position& position, Move move) {
  if (!caro(position.rule) || makesFive(position, move)) return false;
  return moveMakesFive(position, exactFive(position.rule) ? Rule::ExactFive : Rule::Freestyle, move);
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
