#include "stress/RenjuJudge.h"

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/LineViews.h"
#include "rules/Renju.h"

namespace quenvik::stress {

RenjuVerdict judgeBlackMove(int size, const std::vector<int>& record, int cell) {
  RenjuVerdict verdict;
  // The Renju test recurses through nested threes: a search-sized stack.
  runOnSearchStack([&] {
    engine.boardSize = size;
    engine.rule = Rule::Renju;
    for (auto& row : engine.board) {
      for (int32_t& value : row) value = kEmpty;
    }
    for (std::size_t i = 0; i < record.size(); ++i) {
      engine.board[cellIndexX(record[i])][cellIndexY(record[i])] = i % 2 == 0 ? kBlack : kWhite;
    }
    LineViews views;
    buildLineViews(views);
    verdict.forbidden = forbiddenKind(views, cellIndexX(cell), cellIndexY(cell)) != Allowed;
    for (int x = 0; x < size && !verdict.anyAllowed; ++x) {
      for (int y = 0; y < size && !verdict.anyAllowed; ++y) {
        verdict.anyAllowed = engine.board[x][y] == kEmpty && forbiddenKind(views, x, y) == Allowed;
      }
    }
  });
  return verdict;
}

}  // namespace quenvik::stress
