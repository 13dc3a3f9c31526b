// The engine's part of a Swap2 opening, decided with its own searches: the
// three stones it proposes, and after three or five stones whether it takes
// a colour or places more stones.
#pragma once

#include <cstdint>

#include "think/Reporter.h"
#include "think/SharedSearch.h"

namespace quenvik {

// The stones a SWAP2BOARD block holds: none (propose the opening), the three
// of the opening (White's choice), or five (the proposer's last choice).
constexpr int kSwap2Opening = 3;
constexpr int kSwap2Extended = 5;
constexpr bool isSwap2Request(int stones) { return stones == 0 || stones == kSwap2Opening || stones == kSwap2Extended; }

// A Swap2 decision's answer: swap (take Black), or the stones to place as
// CellIndex values in playing order.
struct Swap2Answer {
  bool swap;
  int stoneCount;
  int32_t stones[kMaxSwap2Answer];
};

// Decides the answer to the SWAP2BOARD block the record holds (0, 3 or 5
// stones) within the decision's time budget. The positions it scores are set
// up through the record, which holds the block's stones again on return.
// After a YXSTOP it answers at once with the best answer found so far.
Swap2Answer decideSwap2(const Reporter& reporter, SharedSearch search);

}  // namespace quenvik
