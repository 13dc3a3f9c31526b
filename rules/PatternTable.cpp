// The line table, generated from the rule. A segment's class follows from the
// classes of the segments one own stone richer, so each (leftLen, rightLen)
// block is filled from its fullest window value down; the cells the line
// questions name follow from the same rule on the segment's own cells.
#include "rules/PatternTable.h"

namespace quenvik {

namespace {

constexpr int kSide = kMaxSideLength;
constexpr int kFiveLength = 5;

constexpr uint8_t tableEntry(int patternClass, int count) { return static_cast<uint8_t>(patternClass << 4 | count); }

// Bit of w that holds the cell at offset k from the stone.
constexpr int windowBitOf(int rightLen, int k) { return k < 0 ? rightLen - 1 - k : rightLen - k; }

// The cells a stone sees on its line, at offsets -5..5 (the stone at 0), as
// masks of bit k + 5; everything past the cells that block it reads as
// blocked, by the edge where leftEdge or rightEdge says so, else by an
// opponent's stone.
struct Segment {
  int leftLen;
  int rightLen;
  int w;
  int ownCells;
  int emptyCells;
  bool leftEdge;
  bool rightEdge;

  constexpr Segment(int l, int r, int bits, bool edgeLeft, bool edgeRight)
      : leftLen(l),
        rightLen(r),
        w(bits),
        ownCells(1 << kSide),
        emptyCells(0),
        leftEdge(edgeLeft),
        rightEdge(edgeRight) {
    for (int k = -l; k <= r; ++k) {
      if (k == 0) continue;
      if ((bits >> windowBitOf(r, k)) & 1) {
        ownCells |= cellBit(k);
      } else {
        emptyCells |= cellBit(k);
      }
    }
  }

  static constexpr int cellBit(int k) { return k < -kSide || k > kSide ? 0 : 1 << (k + kSide); }
  constexpr bool empty(int k) const { return (emptyCells & cellBit(k)) != 0; }
  constexpr bool own(int k) const { return (ownCells & cellBit(k)) != 0; }

  // The same segment with one more own stone on the empty cell at offset k.
  constexpr Segment with(int k) const {
    Segment richer = *this;
    richer.w |= 1 << windowBitOf(rightLen, k);
    richer.ownCells |= cellBit(k);
    richer.emptyCells &= ~cellBit(k);
    return richer;
  }
  constexpr int index() const { return patternIndex(leftLen, rightLen, w); }

  // The run of own stones through the stone, and whether an opponent's
  // stone stands just past each of its ends (a run reaching a blocker that
  // is not the edge; a side of five cells has no blocker in sight).
  struct Run {
    int length;
    bool flanked;
  };
  constexpr Run run() const {
    int first = 0, last = 0;
    while (own(first - 1)) --first;
    while (own(last + 1)) ++last;
    const bool leftOpponent = first == -leftLen && leftLen < kSide && !leftEdge;
    const bool rightOpponent = last == rightLen && rightLen < kSide && !rightEdge;
    return {last - first + 1, leftOpponent && rightOpponent};
  }
};

// How a half counts a five through the stone, and when a run is an overline.
constexpr bool makesFive(int half, const Segment& s) {
  const Segment::Run run = s.run();
  if (run.length > kFiveLength) return overlinesWin(half);
  return run.length == kFiveLength && !(seesEdge(half) && run.flanked);
}
constexpr bool isOverline(int half, const Segment& s) { return !overlinesWin(half) && s.run().length > kFiveLength; }

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

using Patterns = std::array<uint8_t, kLineTableSize>;

// The segment's place in the table: its half, its blockers' block, its index.
constexpr int tableIndex(int half, const Segment& s) {
  const int block = seesEdge(half) ? 2 * s.leftEdge + s.rightEdge : 0;
  return kLineHalfBase[half] + block * kPatternHalfSize + s.index();
}

constexpr int classOf(const Patterns& patterns, int half, const Segment& s) {
  return patterns[tableIndex(half, s)] >> 4;
}

constexpr uint8_t patternEntry(const Patterns& patterns, int half, const Segment& s) {
  if (makesFive(half, s)) return tableEntry(Five, 1);
  if (isOverline(half, s)) return tableEntry(Overline, 1);

  // The class of the stone once one more own stone stands on each empty cell.
  int fiveCells[2 * kSide + 1] = {};
  int fives = 0;
  int fourOpenCells[2 * kSide + 1] = {};
  int fourOpens = 0;
  int fours = 0, threeOpens = 0, threeOpenDoubles = 0, threeCloseds = 0, twoOpens = 0, twoCloseds = 0;
  for (int k = -s.leftLen; k <= s.rightLen; ++k) {
    if (!s.empty(k)) continue;
    switch (classOf(patterns, half, s.with(k))) {
      case Five:
        fiveCells[fives++] = k;
        break;
      case FourOpen:
        fourOpenCells[fourOpens++] = k;
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
  if (twoCloseds > 0) return tableEntry(windowsThroughStone(s.leftLen, s.rightLen) >= 3 ? OneOpen : OneClosed, 1);
  return tableEntry(Dead, 0);
}

// One more own stone on the empty cell k makes a five through the stone.
constexpr bool fiveAt(int half, const Segment& s, int k) { return s.empty(k) && makesFive(half, s.with(k)); }

// The five points as the four-finder has always listed them: the first
// five-cell window through the stone (from the left) holding four own stones
// and a gap whose filling makes a five gives its gap; one more cell is named
// when filling it also makes a five: the cell before the window when the gap
// is last (xxxx_), else the cell after it (_xxxx, a straight four; x_xxx,
// xx_xx, xxx_x, a second four sharing the stone). The right cell comes first,
// except a straight four read exactly, which lists its left end first.
constexpr LineCells fivePointsOf(int half, const Segment& s) {
  for (int start = -4; start <= 0; ++start) {
    int stones = 0, gap = 0;
    for (int k = start; k < start + kFiveLength; ++k) {
      if (s.own(k)) ++stones;
      if (s.empty(k)) gap = k;
    }
    if (stones != kFiveLength - 1 || !fiveAt(half, s, gap)) continue;
    const bool gapLast = gap == start + kFiveLength - 1;
    const int other = gapLast ? start - 1 : start + kFiveLength;
    if (!fiveAt(half, s, other)) return lineCells(1, gap);
    const bool gapFirst = gapLast || (gap == start && !overlinesWin(half));
    return gapFirst ? lineCells(2, gap, other) : lineCells(2, other, gap);
  }
  return lineCells(0);
}

constexpr bool straightFourAt(const Patterns& patterns, int half, const Segment& s, int k) {
  return s.empty(k) && classOf(patterns, half, s.with(k)) == FourOpen;
}

// The straight-four cells of the stone's three: every empty cell where one
// more stone makes a straight four through it, at most two (a three has two
// ends), the right one first. None once the stone already makes a four.
constexpr LineCells straightFourCellsOf(const Patterns& patterns, int half, const Segment& s) {
  if (classOf(patterns, half, s) >= Four) return lineCells(0);
  int cells[2] = {};
  int count = 0;
  for (int k = s.rightLen; k >= -s.leftLen && count < 2; --k) {
    if (straightFourAt(patterns, half, s, k)) cells[count++] = k;
  }
  return lineCells(count, cells[0], cells[1]);
}

// The cells that stop an open three through the stone, from the first
// four-cell window through it (from the left) holding three own stones and a
// gap that makes the three: x x x _ with both ends free of own stones, whose
// straight-four moves are the cell before it and its gap, and x x _ x or
// x _ x x, whose one straight-four move is its gap. Open at both ends: the two
// straight-four cells; else those with the cell beyond the open end.
constexpr LineCells threeDefenceOf(const Patterns& patterns, int half, const Segment& s) {
  for (int start = -3; start <= 0; ++start) {
    int stones = 0, gap = 0;
    for (int k = start; k < start + 4; ++k) {
      if (s.own(k)) ++stones;
      if (s.empty(k)) gap = k;
    }
    if (stones != 3 || gap == start) continue;  // _xxx is read as xxx_ one window on
    const int before = start - 1;
    const int after = start + 4;
    if (gap != after - 1) {
      if (straightFourAt(patterns, half, s, gap)) return lineCells(3, after, before, gap);
      continue;
    }
    if (!s.empty(before) || s.own(before - 1) || s.own(after)) continue;
    const bool lowOpen = straightFourAt(patterns, half, s, before);
    const bool highOpen = straightFourAt(patterns, half, s, gap);
    if (lowOpen && highOpen) return lineCells(2, gap, before);
    if (lowOpen) return lineCells(3, gap, before - 1, before);
    if (highOpen) return lineCells(3, after, before, gap);
  }
  return lineCells(0);
}

constexpr LineTable generateLineTable() {
  LineTable table{};
  for (int half = kFreeHalf; half < kLineHalves; ++half) {
    const int blocks = seesEdge(half) ? kEdgeBlocks : 1;
    for (int block = 0; block < blocks; ++block) {
      for (int leftLen = 0; leftLen <= kSide; ++leftLen) {
        for (int rightLen = 0; rightLen <= kSide; ++rightLen) {
          // Adding a stone raises w, so the richer segments are already filled.
          for (int w = (1 << (leftLen + rightLen)) - 1; w >= 0; --w) {
            const Segment s(leftLen, rightLen, w, block >> 1, block & 1);
            const int index = tableIndex(half, s);
            table.patterns[index] = patternEntry(table.patterns, half, s);
            table.fivePoints[index] = fivePointsOf(half, s);
            table.straightFourCells[index] = straightFourCellsOf(table.patterns, half, s);
            table.threeDefence[index] = threeDefenceOf(table.patterns, half, s);
          }
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
const LineTable lineTable = generateLineTable();

static_assert(patternIndex(0, 0, 0) == 0 && patternIndex(kMaxSideLength, kMaxSideLength, 1023) == kPatternHalfSize - 1);

}  // namespace quenvik
