// Line classification and the incrementally kept pattern state of every empty
// cell. Runs at every search node: no allocation, no output.
#include "rules/Patterns.h"

#include <cstring>
#include <utility>

#include "rules/LineViews.h"
#include "rules/PatternTable.h"
#include "rules/PatternUndo.h"
#include "rules/Renju.h"

namespace quenvik {

namespace {

// Step from position q to q + 1 along each direction's line, as a board step.
constexpr int kLineStepA[kDirections] = {0, 1, -1, -1};
constexpr int kLineStepB[kDirections] = {1, 0, 1, -1};

// A cell five away can change a class only where six in a row is not a five.
constexpr int kFreeRadius = 4;
constexpr int kExactRadius = 5;

constexpr int kLevelFive = 6;
constexpr int kLevelStraightFour = 5;
constexpr int kLevelFour = 4;
constexpr int kLevelOpenThree = 3;

constexpr int kAllDirections = 0xF;

// Fills, around position p, the part of a padded line that a classification
// from p can read: the cells within five of p, with markers off the board.
void fillLineAround(int32_t* line, int direction, int a, int b) {
  const int n = engine.boardSize;
  const int p = linePositionOf(direction, a, b, n);
  const int first = p - kMaxSideLength < -2 ? -2 : p - kMaxSideLength;
  const int last = p + kMaxSideLength > n + 1 ? n + 1 : p + kMaxSideLength;
  for (int q = first; q <= last; ++q) {
    const int ca = a + (q - p) * kLineStepA[direction];
    const int cb = b + (q - p) * kLineStepB[direction];
    const bool onBoard = q >= 0 && q < n && ca >= 0 && ca < n && cb >= 0 && cb < n;
    line[q + 2] = onBoard ? engine.board[ca][cb] : kOffBoard;
  }
}

struct CellCounts {
  int32_t rank;
  int32_t level;
  int openThrees;
  int fours;
  int fives;
  int overlines;
};

CellCounts countCell(const int32_t* codes) {
  CellCounts counts{0, 0, 0, 0, 0, 0};
  int best = 0;
  int second = 0;
  for (int d = 0; d < kDirections; ++d) {
    const int32_t patternClass = patternClassOf(codes[d]);
    const int32_t count = patternCountOf(codes[d]);
    // A double four in one line orders like an open three; an overline like
    // a dead line.
    const int key = (patternClass == Four && count == 2) ? ThreeOpenSingle : patternClass % Overline;
    if (key > best) {
      second = best;
      best = key;
    } else if (key > second) {
      second = key;
    }
    switch (patternClass) {
      case ThreeOpenSingle:
      case ThreeOpenDouble:
        if (counts.level < kLevelOpenThree) counts.level = kLevelOpenThree;
        ++counts.openThrees;
        break;
      case Four:
        if (counts.level < kLevelFour) counts.level = kLevelFour;
        counts.fours += count;
        break;
      case FourOpen:
        if (counts.level < kLevelStraightFour) counts.level = kLevelStraightFour;
        ++counts.fours;
        break;
      case Five:
        counts.level = kLevelFive;
        ++counts.fives;
        break;
      case Overline:
        ++counts.overlines;
        break;
      default:
        break;
    }
  }
  counts.rank = pairRankTable[best][second];
  return counts;
}

// A LineViews of the current board, built only when a cell first needs the
// full forbidden test; the board does not change while the state is updated.
struct LazyViews {
  LineViews views;
  bool built = false;

  LineViews& get() {
    if (!built) {
      buildLineViews(views);
      built = true;
    }
    return views;
  }
};

void summarizeCellWith(int a, int b, LazyViews& views) {
  PatternState& state = engine.patterns;
  const CellCounts black = countCell(state.patternCodes[0][a][b]);
  int32_t blackRank = black.rank;
  int32_t blackLevel = black.level;
  if (renjuOn() && black.fives == 0) {
    if (black.fours >= 2 || black.overlines > 0) {
      blackRank = 0;
      blackLevel = 0;
    } else if (black.openThrees >= 2) {
      // Whether both threes are real depends on stones beyond the radius.
      engine.forbiddenCheckList.push_back(a + kGridWidth * b);
      if (forbiddenKind(views.get(), a, b) != Allowed) {
        blackRank = 0;
        blackLevel = 0;
      }
    }
  }
  state.cellRank[0][a][b] = blackRank;
  state.cellLevel[0][a][b] = blackLevel;

  const CellCounts white = countCell(state.patternCodes[1][a][b]);
  state.cellRank[1][a][b] = white.rank;
  state.cellLevel[1][a][b] = white.level;
}

void markRays(uint8_t (*marks)[kGridWidth], int a, int b, int radius) {
  const int n = engine.boardSize;
  marks[a][b] = kAllDirections;
  for (int d = 0; d < kDirections; ++d) {
    for (int sign = -1; sign <= 1; sign += 2) {
      const int stepA = sign * kLineStepA[d];
      const int stepB = sign * kLineStepB[d];
      int32_t rayColour = kEmpty;
      for (int k = 1; k <= radius; ++k) {
        const int ca = a + k * stepA;
        const int cb = b + k * stepB;
        if (ca < 0 || ca >= n || cb < 0 || cb >= n) break;
        const int32_t v = engine.board[ca][cb];
        if (v != kEmpty) {
          // Beyond stones of both colours no scan reaches back to (a, b).
          if (rayColour == kEmpty) {
            rayColour = v;
          } else if (v != rayColour) {
            break;
          }
        }
        marks[ca][cb] |= static_cast<uint8_t>(1 << d);
      }
    }
  }
}

}  // namespace

int32_t classifyLine(const int32_t* line, int position) {
  const int32_t* stone = line + position + 2;
  const int32_t s = *stone;
  if (s != kBlack && s != kWhite) return 0;

  int rightLen = 0;
  int rightBits = 0;
  while (rightLen < kMaxSideLength) {
    const int32_t v = stone[rightLen + 1];
    if (v != s && v != kEmpty) break;
    rightBits = rightBits << 1 | (v == s);
    ++rightLen;
  }
  int leftLen = 0;
  int leftBits = 0;
  while (leftLen < kMaxSideLength) {
    const int32_t v = stone[-(leftLen + 1)];
    if (v != s && v != kEmpty) break;
    leftBits |= (v == s) << leftLen;
    ++leftLen;
  }
  const int w = leftBits << rightLen | rightBits;
  const bool exact = s == kBlack ? (exactFiveOn() || renjuOn()) : exactFiveOn();
  return patternTableCode(exact ? kExactHalf : kFreeHalf, patternIndex(leftLen, rightLen, w));
}

void updateDirection(int a, int b, int d) {
  int32_t line[kPaddedLineLength];
  fillLineAround(line, d, a, b);
  const int p = linePositionOf(d, a, b, engine.boardSize);
  line[p + 2] = kBlack;
  engine.patterns.patternCodes[0][a][b][d] = classifyLine(line, p);
  line[p + 2] = kWhite;
  engine.patterns.patternCodes[1][a][b][d] = classifyLine(line, p);
}

void summarizeCell(int a, int b) {
  LazyViews views;
  summarizeCellWith(a, b, views);
}

void updatePatterns() {
  const int n = engine.boardSize;
  const int radius = (exactFiveOn() || renjuOn()) ? kExactRadius : kFreeRadius;
  PatternState& state = engine.patterns;
  uint8_t marks[kGridWidth][kGridWidth];  // bit d: recompute direction d
  std::memset(marks, 0, sizeof marks);

  for (int a = 0; a < n; ++a) {
    if (std::memcmp(engine.board[a], state.cellStateMap[a], sizeof(int32_t) * n) == 0) continue;
    for (int b = 0; b < n; ++b) {
      if (engine.board[a][b] != state.cellStateMap[a][b]) markRays(marks, a, b, radius);
    }
  }

  if (renjuOn()) {
    // Whether a double three is real can depend on stones far away, so the
    // cells that needed the full test last time are tested again.
    std::swap(engine.previousForbiddenCheckList, engine.forbiddenCheckList);
    engine.forbiddenCheckList.clear();
    for (const int32_t cell : engine.previousForbiddenCheckList) {
      const int a = cell % kGridWidth;
      const int b = cell / kGridWidth;
      // The list may come from an earlier decision on a larger board.
      if (a < n && b < n) marks[a][b] = kAllDirections;
    }
  }

  LazyViews views;
  for (int a = 0; a < n; ++a) {
    bool rowMarked = false;
    for (int b = 0; b < n && !rowMarked; ++b) rowMarked = marks[a][b] != 0;
    if (!rowMarked) continue;
    for (int b = 0; b < n; ++b) {
      // An unmarked cell already holds its board value and keeps its entries.
      if (marks[a][b] == 0) continue;
      const int32_t v = engine.board[a][b];
      if (v != kEmpty) {
        if (state.cellStateMap[a][b] != v) {
          logCellForUndo(a, b);
          state.cellStateMap[a][b] = v;
        }
        continue;
      }
      logCellForUndo(a, b);
      state.cellStateMap[a][b] = v;
      for (int d = 0; d < kDirections; ++d) {
        if (marks[a][b] & (1 << d)) updateDirection(a, b, d);
      }
      summarizeCellWith(a, b, views);
    }
  }
}

void rebuildPatterns() {
  // At most one entry per cell: reserving once keeps every later update of
  // the lists free of allocation.
  engine.forbiddenCheckList.reserve(kGridWidth * kGridWidth);
  engine.previousForbiddenCheckList.reserve(kGridWidth * kGridWidth);
  engine.patternUndoLog.reserve(kPatternUndoReserve);
  const int n = engine.boardSize;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      // A value the board cell cannot hold, so every cell counts as changed.
      const int32_t v = engine.board[a][b];
      engine.patterns.cellStateMap[a][b] = v == kEmpty ? 1 : (v == kBlack ? -1 : 0);
    }
  }
  updatePatterns();
  engine.patternUndoLog.clear();  // nothing before a rebuild is taken back
}

}  // namespace quenvik
