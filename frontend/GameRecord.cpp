#include "frontend/GameRecord.h"

#include <algorithm>

namespace quenvik {

bool recordFromBlock(const BlockStone* stones, int count, int32_t* recordMoves, int32_t* recordCount) {
  const int own = static_cast<int>(std::count_if(stones, stones + count, [](const BlockStone& s) { return s.own; }));
  const int opposing = count - own;
  int firstPlayerOffset;  // record slot parity of the engine's own stones
  if (own == opposing) {
    firstPlayerOffset = 0;
  } else if (own == opposing - 1) {
    firstPlayerOffset = 1;
  } else {
    return false;
  }
  int ownSeen = 0;
  int opposingSeen = 0;
  for (int i = 0; i < count; ++i) {
    if (stones[i].own) {
      recordMoves[2 * ownSeen++ + firstPlayerOffset] = stones[i].cellIndex;
    } else {
      recordMoves[2 * opposingSeen++ + (1 - firstPlayerOffset)] = stones[i].cellIndex;
    }
  }
  *recordCount = count;
  return true;
}

}  // namespace quenvik
