// The generated line table: for every segment a stone can see on its line,
// under every reading of the rule, what the stone makes there (its pattern
// class and count) and the cells the line questions name (its five points,
// the straight-four cells of its three, the cells that stop that three).
// Also the rank of a cell's two best directions.
#pragma once

#include <array>
#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// A stone sees at most five cells to each side of it on its line.
constexpr int kMaxSideLength = 5;

// Segments of one reading: leftLen and rightLen 0..5 and every choice of own
// and empty cells between the stone and the cells that block it.
constexpr int kPatternHalfSize = 3969;

// The readings of the rule, one per way of counting a five: free (five or
// more in a row), exact (exactly five; six or more is an overline), and the
// same two under Caro, where a row of exactly five whose two end cells hold
// the opponent's stones is no five. A colour reads its lines through one of
// them (lineHalfFor).
enum LineHalf : int { kFreeHalf = 0, kExactHalf = 1, kCaroHalf = 2, kCaroExactHalf = 3 };
constexpr int kLineHalves = 4;

// Whether six or more in a row is a five.
constexpr bool overlinesWin(int half) { return half == kFreeHalf || half == kCaroHalf; }

// Only Caro tells the board's edge from an opponent's stone: its halves hold
// one block of segments for each pair of blockers (opponent or edge, left
// and right, block 2 * leftEdge + rightEdge).
constexpr bool seesEdge(int half) { return half >= kCaroHalf; }
constexpr int kEdgeBlocks = 4;
constexpr int lineHalfSize(int half) { return seesEdge(half) ? kEdgeBlocks * kPatternHalfSize : kPatternHalfSize; }

// Index within a half of the segment with leftLen cells left of the stone,
// rightLen cells right of it, and own stones w (leftmost cell the most
// significant bit, cell +rightLen bit 0). Every (leftLen, rightLen) pair owns
// its own block of 2^(leftLen + rightLen) entries.
constexpr int patternIndex(int leftLen, int rightLen, int w) {
  return ((1 << rightLen) + 62) * (1 << leftLen) + w - 63;
}

constexpr int kLineHalfBase[kLineHalves] = {0, lineHalfSize(kFreeHalf), 2 * lineHalfSize(kFreeHalf),
                                            2 * lineHalfSize(kFreeHalf) + lineHalfSize(kCaroHalf)};
constexpr int kLineTableSize = kLineHalfBase[kCaroExactHalf] + lineHalfSize(kCaroExactHalf);

// Up to three cells of the stone's line, as offsets from the stone (-5..5),
// in the order the line question lists them.
struct LineCells {
  uint16_t packed;  // four bits per cell (offset + 8), the count in bits 12..13

  constexpr int count() const { return packed >> 12; }
  constexpr int offset(int i) const { return ((packed >> (4 * i)) & 0xF) - 8; }
};

constexpr LineCells lineCells(int count, int first = 0, int second = 0, int third = 0) {
  if (count == 0) return {0};
  int packed = count << 12 | (first + 8);
  if (count > 1) packed |= (second + 8) << 4;
  if (count > 2) packed |= (third + 8) << 8;
  return {static_cast<uint16_t>(packed)};
}

// What each segment makes, indexed by kLineHalfBase[half] + patternIndex.
struct LineTable {
  // Class in the high nibble, count in the low nibble.
  std::array<uint8_t, kLineTableSize> patterns;
  // The cells where the stone's owner completes five with it, found window
  // by window from the left: the gap of the first four and, where the
  // shape allows, one more (a straight four, or a second four sharing the
  // stone). One or two cells.
  std::array<LineCells, kLineTableSize> fivePoints;
  // The straight-four cells of the stone's three: where one more stone makes
  // a straight four through it, the right one first (none for a four).
  std::array<LineCells, kLineTableSize> straightFourCells;
  // The cells that stop an open three through the stone: two for a three
  // open at both ends, three otherwise.
  std::array<LineCells, kLineTableSize> threeDefence;
};

extern const LineTable lineTable;

inline int32_t linePatternCode(int index) {
  const uint8_t entry = lineTable.patterns[index];
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
