// The board GUI's balance commands, decided with the engine's own searches:
// the move, or the move and the reply, after which the position is as
// balanced as asked.
#pragma once

#include <cstdint>

#include "think/Reporter.h"
#include "think/SharedSearch.h"

namespace quenvik {

// A balance decision's answer: the stones to place as CellIndex values in
// playing order; none when the side to move has no cell to play.
struct BalanceAnswer {
  int stoneCount;
  int32_t stones[kMaxBalanceStones];
};

// Decides `stones` moves (1: one of the side to move; 2: one of the side to
// move and a reply) after which the search's score for the side then to move
// lies nearest `target`, within the decision's time budget and node limit,
// on the position the record holds. The positions it scores are set up
// through the record, which holds the position again on return. After a
// YXSTOP it answers at once with the best answer found so far.
BalanceAnswer decideBalance(const Reporter& reporter, SharedSearch search, int stones, int32_t target);

}  // namespace quenvik
