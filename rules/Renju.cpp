// Renju forbidden moves. A three counts only when one of its straight-four
// cells is itself an allowed move, so the test recurses through trial stones
// placed in the caller's LineViews; every level takes back what it placed.
#include "rules/Renju.h"

#include <algorithm>

#include "rules/LineViews.h"

namespace quenvik {

namespace {

constexpr int kFive = 5;
constexpr int kSix = 6;

// The cell at line position q of a padded line.
inline int32_t at(const int32_t* line, int q) { return line[q + 2]; }

inline bool isStone(int32_t v) { return v == kBlack || v == kWhite; }

// The four lines through one cell, cut once per cell test.
struct CellLines {
  int32_t line[kDirections][kPaddedLineLength];
  int position[kDirections];
};

void cutCellLines(CellLines& lines, const LineViews& views, int a, int b) {
  const int n = engine.boardSize;
  for (int d = 0; d < kDirections; ++d) lines.position[d] = cutPaddedLine(lines.line[d], views, d, a, b, n);
}

bool fiveInLines(const CellLines& lines) {
  for (int d = 0; d < kDirections; ++d) {
    if (lineFive(lines.line[d], lines.position[d])) return true;
  }
  return false;
}

int foursInLines(const CellLines& lines) {
  int fours = 0;
  for (int d = 0; d < kDirections; ++d) fours += lineFours(lines.line[d], lines.position[d]);
  return fours;
}

bool overlineInLines(const CellLines& lines) {
  for (int d = 0; d < kDirections; ++d) {
    if (lineOverline(lines.line[d], lines.position[d])) return true;
  }
  return false;
}

// A straight-four cell makes the three real when Black may play it and it
// does not already make a five.
bool isRealFourCell(LineViews& views, int direction, int a, int b, int q) {
  const Cell cell = cellOnLine(direction, a, b, q, engine.boardSize);
  return !makesFiveAt(views, cell.a, cell.b) && forbiddenKind(views, cell.a, cell.b) == Allowed;
}

// Counts real threes through (a, b), which holds Black; stops once `enough`
// directions have counted.
int realThreesInLines(LineViews& views, const CellLines& lines, int a, int b, int enough) {
  int threes = 0;
  for (int d = 0; d < kDirections && threes < enough; ++d) {
    const int32_t three = lineThree(lines.line[d], lines.position[d]);
    if (three == 0) continue;
    bool real;
    if (three & kTwoFourCells) {
      real = isRealFourCell(views, d, a, b, three & 0xFF) || isRealFourCell(views, d, a, b, (three >> 8) & 0xFF);
    } else {
      real = isRealFourCell(views, d, a, b, three & 0xFF);
    }
    if (real) ++threes;
  }
  return threes;
}

// Puts a Black stone on an empty cell for the lifetime of the guard.
struct TrialBlackStone {
  LineViews& views;
  int a;
  int b;
  bool placed;

  TrialBlackStone(LineViews& v, int cellA, int cellB) : views(v), a(cellA), b(cellB) {
    placed = viewsCell(views, a, b) == kEmpty;
    if (placed) setViewsCell(views, a, b, kBlack, engine.boardSize);
  }
  ~TrialBlackStone() {
    if (placed) setViewsCell(views, a, b, kEmpty, engine.boardSize);
  }
  TrialBlackStone(const TrialBlackStone&) = delete;
  TrialBlackStone& operator=(const TrialBlackStone&) = delete;
};

}  // namespace

int lineFive(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const int32_t v = at(line, p);
  if (!isStone(v)) return 0;
  const bool exact = exactFiveFor(v);
  for (int s = std::max(p - 4, 0); s <= std::min(p, n - kFive); ++s) {
    if (readWindow(line, s, kFive, v).stones != kFive) continue;
    if (exact && (at(line, s - 1) == v || at(line, s + kFive) == v)) continue;
    return 1;
  }
  return 0;
}

int lineOverline(const int32_t* line, int p) {
  const int n = engine.boardSize;
  if (!renju() || at(line, p) != kBlack) return 0;
  for (int s = std::max(p - 5, 0); s <= std::min(p, n - kSix); ++s) {
    if (readWindow(line, s, kSix, kBlack).stones == kSix) return 1;
  }
  return 0;
}

int lineFours(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const int32_t v = at(line, p);
  if (!isStone(v)) return 0;
  for (int s = std::max(p - 4, 0); s <= std::min(p, n - kFive); ++s) {
    const int gap = singleGapOf(line, s, kFive, v);
    if (gap < 0) continue;
    // Filling the gap would make six or more: not a four.
    if (at(line, s - 1) == v || at(line, s + 5) == v) continue;
    // A second four can share this window's stones through the cell just
    // after it: x x x . x . x x x, x x . x x . x x, x . x x x . x.
    switch (gap) {
      case 3:
        return (s <= n - 9 && at(line, s + 5) == kEmpty && at(line, s + 6) == v && at(line, s + 7) == v &&
                at(line, s + 8) == v && at(line, s + 9) != v && p == s + 4)
                   ? 2
                   : 1;
      case 2:
        return (s <= n - 8 && at(line, s + 5) == kEmpty && at(line, s + 6) == v && at(line, s + 7) == v &&
                at(line, s + 8) != v && (p == s + 3 || p == s + 4))
                   ? 2
                   : 1;
      case 1:
        return (s <= n - 7 && at(line, s + 5) == kEmpty && at(line, s + 6) == v && at(line, s + 7) != v && p >= s + 2 &&
                p <= s + 4)
                   ? 2
                   : 1;
      default:
        return 1;  // x x x x . or . x x x x
    }
  }
  return 0;
}

int32_t lineThree(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const int32_t v = at(line, p);
  if (!isStone(v)) return 0;
  // Conditions are tested outward so that no read passes the line's markers.
  for (int s = std::max(p - 3, 0); s <= std::min(p, n - 4); ++s) {
    const int gap = singleGapOf(line, s, 4, v);
    if (gap < 0) continue;
    switch (gap) {
      case 3: {  // x x x .
        if (at(line, s - 1) != kEmpty || at(line, s - 2) == v || at(line, s + 4) == v) continue;
        const bool left = at(line, s - 2) == kEmpty && at(line, s - 3) != v;
        const bool right = at(line, s + 4) == kEmpty && at(line, s + 5) != v;
        if (left && right) return kTwoFourCells | (s - 1) << 8 | (s + 3);
        if (left) return kOneFourCell | (s - 1);
        if (right) return kOneFourCell | (s + 3);
        continue;
      }
      case 2:  // x x . x
      case 1:  // x . x x
        if (at(line, s - 1) == kEmpty && at(line, s + 4) == kEmpty && at(line, s - 2) != v && at(line, s + 5) != v) {
          return kOneFourCell | (s + gap);
        }
        continue;
      default:
        continue;  // . x x x is read as x x x . one window further right
    }
  }
  return 0;
}

bool makesFiveAt(LineViews& views, int a, int b) {
  const TrialBlackStone stone(views, a, b);
  CellLines lines;
  cutCellLines(lines, views, a, b);
  return fiveInLines(lines);
}

int countRealThreesAt(LineViews& views, int a, int b) {
  CellLines lines;
  cutCellLines(lines, views, a, b);
  return realThreesInLines(views, lines, a, b, kDirections);
}

int forbiddenKind(LineViews& views, int a, int b) {
  if (!renju()) return Allowed;
  if (viewsCell(views, a, b) == kWhite) return Allowed;
  const TrialBlackStone stone(views, a, b);
  // The nested tests take back their own stones, so these lines stay valid.
  CellLines lines;
  cutCellLines(lines, views, a, b);
  if (fiveInLines(lines)) return Allowed;
  if (foursInLines(lines) >= 2) return DoubleFour;
  if (realThreesInLines(views, lines, a, b, 2) >= 2) return DoubleThree;
  if (overlineInLines(lines)) return OverlineKind;
  return Allowed;
}

}  // namespace quenvik
