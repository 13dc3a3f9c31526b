// The pattern table, generated from its rules: a segment's
// class follows from the classes of the segments one own stone richer, so each
// (leftLen, rightLen) block is filled from its fullest window value down.
#include "rules/PatternTable.h"

namespace quenvik {

namespace {

using Table = std::array<uint8_t, 2 * kPatternHalfSize>;

constexpr int kMaxSegmentLength = 2 * kMaxSideLength + 1;
constexpr int kFiveLength = 5;

constexpr uint8_t tableEntry(int patternClass, int count) { return static_cast<uint8_t>(patternClass << 4 | count); }

// Bit of w that holds segment cell i (cells numbered 0..leftLen+rightLen from
// the left, the stone itself at leftLen and not in w).
constexpr int windowBitOf(int leftLen, int rightLen, int i) {
  return i < leftLen ? leftLen + rightLen - 1 - i : leftLen + rightLen - i;
}

// Number of five-cell windows inside the segment that contain the stone.
constexpr int windowsThroughStone(int leftLen, int rightLen) {
  const int first = -leftLen > -4 ? -leftLen : -4;
  const int last = rightLen - 4 < 0 ? rightLen - 4 : 0;
  return last >= first ? last - first + 1 : 0;
}

constexpr bool twoCellsApart(const int* cells, int count, int distance) {
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      if (cells[j] - cells[i] == distance) return true;
    }
  }
  return false;
}

constexpr uint8_t segmentEntry(const Table& table, int half, int leftLen, int rightLen, int w) {
  const int length = leftLen + rightLen + 1;
  bool own[kMaxSegmentLength] = {};
  for (int i = 0; i < length; ++i) own[i] = i == leftLen || ((w >> windowBitOf(leftLen, rightLen, i)) & 1) != 0;

  int first = leftLen;
  int last = leftLen;
  while (first > 0 && own[first - 1]) --first;
  while (last < length - 1 && own[last + 1]) ++last;
  const int run = last - first + 1;
  if (half == kFreeHalf ? run >= kFiveLength : run == kFiveLength) return tableEntry(Five, 1);
  if (run > kFiveLength) return tableEntry(Overline, 1);

  // The class of the stone once one more own stone stands on each empty cell.
  int fiveCells[kMaxSegmentLength] = {};
  int fives = 0;
  int fourOpenCells[kMaxSegmentLength] = {};
  int fourOpens = 0;
  int fours = 0, threeOpens = 0, threeOpenDoubles = 0, threeCloseds = 0, twoOpens = 0, twoCloseds = 0;
  for (int i = 0; i < length; ++i) {
    if (own[i]) continue;
    const int richer = patternIndex(leftLen, rightLen, w | (1 << windowBitOf(leftLen, rightLen, i)));
    switch (table[half * kPatternHalfSize + richer] >> 4) {
      case Five:
        fiveCells[fives++] = i;
        break;
      case FourOpen:
        fourOpenCells[fourOpens++] = i;
        break;
      case Four:
        ++fours;
        break;
      case ThreeOpenDouble:
        ++threeOpenDoubles;
        ++threeOpens;
        break;
      case ThreeOpenSingle:
        ++threeOpens;
        break;
      case ThreeClosed:
        ++threeCloseds;
        break;
      case TwoOpenA:
      case TwoOpenB:
      case TwoOpenC:
        ++twoOpens;
        break;
      case TwoClosed:
        ++twoCloseds;
        break;
      default:
        break;
    }
  }
  if (fives > 0) return twoCellsApart(fiveCells, fives, 5) ? tableEntry(FourOpen, 1) : tableEntry(Four, fives);
  if (fourOpens > 0) {
    return twoCellsApart(fourOpenCells, fourOpens, 4) ? tableEntry(ThreeOpenDouble, 1) : tableEntry(ThreeOpenSingle, 1);
  }
  if (fours > 0) return tableEntry(ThreeClosed, 1);
  if (threeOpens > 0) {
    const int patternClass = threeOpenDoubles == 0 ? TwoOpenA : threeOpenDoubles == 1 ? TwoOpenB : TwoOpenC;
    return tableEntry(patternClass, 1);
  }
  if (threeCloseds > 0) return tableEntry(TwoClosed, 1);
  if (twoOpens > 0) return tableEntry(OneOpen, 1);
  // In the exact half a group that a filled gap would turn into six can cut
  // the stone off from most of its windows; then it is only a closed one.
  if (twoCloseds > 0) return tableEntry(windowsThroughStone(leftLen, rightLen) >= 3 ? OneOpen : OneClosed, 1);
  return tableEntry(Dead, 0);
}

constexpr Table generatePatternTable() {
  Table table{};
  for (int half = kFreeHalf; half <= kExactHalf; ++half) {
    for (int leftLen = 0; leftLen <= kMaxSideLength; ++leftLen) {
      for (int rightLen = 0; rightLen <= kMaxSideLength; ++rightLen) {
        // Adding a stone raises w, so the richer segments are already filled.
        for (int w = (1 << (leftLen + rightLen)) - 1; w >= 0; --w) {
          table[half * kPatternHalfSize + patternIndex(leftLen, rightLen, w)] =
              segmentEntry(table, half, leftLen, rightLen, w);
        }
      }
    }
  }
  return table;
}

}  // namespace

// Constant-initialised where the compiler's evaluation budget allows it (it
// does under GCC); otherwise filled before main by the same generator. No
// static initialiser reads it.
const Table patternTable = generatePatternTable();

static_assert(patternIndex(0, 0, 0) == 0 && patternIndex(kMaxSideLength, kMaxSideLength, 1023) == kPatternHalfSize - 1);

}  // namespace quenvik
