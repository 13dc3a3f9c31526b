// The constant tables behind line classification: the pattern table (one byte
// per segment seen from a stone) and the rank of a cell's two best directions.
#pragma once

#include <array>
#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// A stone sees at most five cells to each side of it on its line.
constexpr int kMaxSideLength = 5;

// Entries per half of the pattern table; the free half lets five or more in a
// row be a five, the exact half makes six or more an overline.
constexpr int kPatternHalfSize = 3969;
constexpr int kFreeHalf = 0;
constexpr int kExactHalf = 1;

// Index within a half of the segment with leftLen cells left of the stone,
// rightLen cells right of it, and own stones w (leftmost cell the most
// significant bit, cell +rightLen bit 0). Every (leftLen, rightLen) pair owns
// its own block of 2^(leftLen + rightLen) entries.
constexpr int patternIndex(int leftLen, int rightLen, int w) {
  return ((1 << rightLen) + 62) * (1 << leftLen) + w - 63;
}

// Class in the high nibble, count in the low nibble; the exact half starts at
// kPatternHalfSize.
extern const std::array<uint8_t, 2 * kPatternHalfSize> patternTable;

inline int32_t patternTableCode(int half, int index) {
  const uint8_t entry = patternTable[half * kPatternHalfSize + index];
  return patternCode(entry >> 4, entry & 0xF);
}

// Rank of a cell whose two best direction keys are hi >= lo (keys 0..12):
// 1 for two dead lines up to 91 for two fives.
constexpr int kRankKeys = 13;
constexpr std::array<std::array<int32_t, kRankKeys>, kRankKeys> makePairRankTable() {
  std::array<std::array<int32_t, kRankKeys>, kRankKeys> table{};
  for (int hi = 0; hi < kRankKeys; ++hi) {
    for (int lo = 0; lo <= hi; ++lo) table[hi][lo] = hi * (hi + 1) / 2 + lo + 1;
  }
  return table;
}
inline constexpr auto pairRankTable = makePairRankTable();
static_assert(pairRankTable[0][0] == 1 && pairRankTable[12][12] == kMaxRank);

}  // namespace quenvik
