// The one line reading. A line through a cell is read as a key: the cells up
// to five away on each side, each empty, Black, White or the board's edge.
// Under the rule, one colour reads the key as the segment its stone on that
// cell would see, and the line table (rules/PatternTable.h) says what the
// stone makes there: its pattern class, its five points, the straight-four
// cells of its three and the cells that stop that three. Every question the
// engine asks about fives, fours and threes on a line goes through here.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/EngineState.h"
#include "rules/PatternTable.h"

namespace quenvik {

// ---------------------------------------------------------------------------
// Line keys
// ---------------------------------------------------------------------------

// Two bits per cell: a cell value's low two bits.
constexpr int kEmptyCode = 0;
constexpr int kBlackCode = 1;
constexpr int kEdgeCode = 2;
constexpr int kWhiteCode = 3;
static_assert((kEmpty & 3) == kEmptyCode && (kBlack & 3) == kBlackCode && (kWhite & 3) == kWhiteCode &&
              (kOffBoard & 3) == kEdgeCode);

constexpr int kSideCells = kMaxSideLength;
constexpr int kSideCodes = 1 << (2 * kSideCells);
constexpr int kAllEdgeSide = 0x2AA;  // five edge cells

// The cells on both sides of a cell, nearest cell in the lowest bits.
struct LineKey {
  int left;   // towards line position p - 1
  int right;  // towards line position p + 1
};

// The five cells from cell (exclusive) one step at a time; cells past the
// `cells` that lie on the line read as the edge.
inline int sideKey(const int32_t* cell, int step, int cells) {
  const int count = std::min(cells, kSideCells);
  int code = kAllEdgeSide;
  for (int k = 0; k < count; ++k) code ^= ((cell[(k + 1) * step] & 3) ^ kEdgeCode) << (2 * k);
  return code;
}

// The key of position p of a line given as its position 0 (a LineViews line,
// or a padded line from element 2) of n cells.
inline LineKey lineKeyOn(const int32_t* line, int p, int n) {
  return {sideKey(line + p, -1, p), sideKey(line + p, 1, n - 1 - p)};
}

// Steps along each direction's line (towards position p + 1) in a board of
// 20-wide rows, and how many cells lie on the board from (a, b) each way.
constexpr int kBoardStep[kDirections] = {1, kGridWidth, 1 - kGridWidth, -1 - kGridWidth};

struct Reach {
  int forward;   // towards line position p + 1
  int backward;  // towards p - 1
};

inline Reach reachOf(int direction, int a, int b, int n) {
  const int up = a;
  const int down = n - 1 - a;
  const int left = b;
  const int right = n - 1 - b;
  switch (direction) {
    case 0:
      return {right, left};
    case 1:
      return {down, up};
    case 2:
      return {std::min(up, right), std::min(down, left)};
    default:
      return {std::min(up, left), std::min(down, right)};
  }
}

// The key of (a, b) in direction d on an N x N board of 20-wide rows.
inline LineKey boardLineKey(const int32_t (*board)[kGridWidth], int n, int a, int b, int direction) {
  const int32_t* cell = &board[a][b];
  const Reach reach = reachOf(direction, a, b, n);
  return {sideKey(cell, -kBoardStep[direction], reach.backward), sideKey(cell, kBoardStep[direction], reach.forward)};
}
inline LineKey boardLineKey(int a, int b, int direction) {
  return boardLineKey(engine.board, engine.boardSize, a, b, direction);
}

// The key of (a, b) in direction d of a LineViews.
LineKey viewsLineKey(const LineViews& views, int direction, int a, int b);

// ---------------------------------------------------------------------------
// Readings: one colour under one rule
// ---------------------------------------------------------------------------

// What one colour sees on one side: the cells up to the first that blocks it
// (the other colour or the edge), its own stones among them (nearest-first
// high for the right side, nearest-first low for the left), and whether the
// edge blocked it.
struct SideView {
  uint8_t length;
  uint8_t rightBits;
  uint8_t leftBits;
  uint8_t edge;
};

constexpr SideView sideViewOf(int code, int own) {
  SideView view{0, 0, 0, 0};
  for (int k = 0; k < kSideCells; ++k) {
    const int c = (code >> (2 * k)) & 3;
    if (c != own && c != kEmptyCode) {
      view.edge = c == kEdgeCode ? 1 : 0;
      break;
    }
    const int mine = c == own ? 1 : 0;
    view.rightBits = static_cast<uint8_t>(view.rightBits << 1 | mine);
    view.leftBits = static_cast<uint8_t>(view.leftBits | mine << k);
    ++view.length;
  }
  return view;
}

struct SideViews {
  std::array<SideView, kSideCodes> black;
  std::array<SideView, kSideCodes> white;
};

constexpr SideViews makeSideViews() {
  SideViews views{};
  for (int code = 0; code < kSideCodes; ++code) {
    views.black[code] = sideViewOf(code, kBlackCode);
    views.white[code] = sideViewOf(code, kWhiteCode);
  }
  return views;
}
inline constexpr SideViews kSideViews = makeSideViews();

// The half of the line table a colour reads under the rule.
constexpr int lineHalfFor(Rule rule, int32_t colour) {
  if (caro(rule)) return exactFive(rule) ? kCaroExactHalf : kCaroHalf;
  return exactFiveFor(rule, colour) ? kExactHalf : kFreeHalf;
}

struct LineReading {
  const SideView* sides;
  int base;        // the half's first index
  int edgeStride;  // entries between edge blocks; 0 where the edge reads as an opponent
};

constexpr LineReading lineReadingFor(Rule rule, int32_t colour) {
  const int half = lineHalfFor(rule, colour);
  return {colour == kBlack ? kSideViews.black.data() : kSideViews.white.data(), kLineHalfBase[half],
          seesEdge(half) ? kPatternHalfSize : 0};
}

// The line table index of the segment the colour's stone sees on the key.
inline int segmentOf(const LineReading& reading, LineKey key) {
  const SideView& left = reading.sides[key.left];
  const SideView& right = reading.sides[key.right];
  const int edgeBlock = (2 * left.edge + right.edge) * reading.edgeStride;
  return reading.base + edgeBlock +
         patternIndex(left.length, right.length, left.leftBits << right.length | right.rightBits);
}

// ---------------------------------------------------------------------------
// What the segment makes
// ---------------------------------------------------------------------------

inline int32_t segmentClass(int segment) { return lineTable.patterns[segment] >> 4; }

// The fours the stone makes on the line, as the Renju test counts them: a
// four its count (1 or 2), a straight four one.
inline int segmentFours(int segment) {
  const int32_t code = linePatternCode(segment);
  const int32_t patternClass = patternClassOf(code);
  return patternClass == Four ? patternCountOf(code) : patternClass == FourOpen ? 1 : 0;
}

// The line position of a cell a line question names, for the stone at p.
inline int cellPosition(LineCells cells, int i, int p) { return p + cells.offset(i); }

// Whether a stone of colour on the empty cell (a, b) of the board makes a five
// under the rule.
bool makesFiveOn(const int32_t (*board)[kGridWidth], int n, Rule rule, int32_t colour, int a, int b);

}  // namespace quenvik
