// The line threat finders: on one padded line, the cells where a stone's
// owner completes five, and the cells that stop an open three through it.
// The Renju test's line scans, the evaluation, the principal search and the
// threat board all read lines through these.
#include "rules/LineThreats.h"

#include <algorithm>

#include "core/EngineState.h"
#include "rules/LineViews.h"

namespace quenvik {

namespace {

// A padded line read by line position; anything off the line reads as the
// off-board marker, so look-aheads past the padding stay safe.
struct LineReader {
  const int32_t* line;
  int n;
  int32_t operator()(int q) const { return (q < 0 || q >= n) ? kOffBoard : line[q + 2]; }
};

int oneCell(int q) { return q | 0x100; }
int twoCells(int q1, int q2) { return q1 | (q2 << 8) | 0x10000; }
int threeCells(int q1, int q2, int q3) { return q1 | (q2 << 8) | (q3 << 16) | 0x1000000; }

}  // namespace

int findFourPoints(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const LineReader cell{line, n};
  const int32_t v = cell(p);
  if (v != kBlack && v != kWhite) return 0;
  const bool exact = exactFiveFor(v);

  for (int s = std::max(p - 4, 0); s <= std::min(p, n - 5); ++s) {
    const int gap = singleGapOf(line, s, 5, v);
    if (gap < 0) continue;
    if (exact && (cell(s - 1) == v || cell(s + 5) == v)) continue;
    switch (gap) {
      case 0:  // _XXXX
        if (!exact) return cell(s + 5) == kEmpty ? twoCells(s + 5, s) : oneCell(s);
        return (cell(s + 5) == kEmpty && cell(s + 6) != v) ? twoCells(s, s + 5) : oneCell(s);
      case 4:  // XXXX_
        return (cell(s - 1) == kEmpty && (!exact || cell(s - 2) != v)) ? twoCells(s + 4, s - 1) : oneCell(s + 4);
      case 1:  // X_XXX, a second four in X_XXX_X
        return (s + 6 <= n - 1 && cell(s + 5) == kEmpty && cell(s + 6) == v && (!exact || cell(s + 7) != v) &&
                p >= s + 2 && p <= s + 4)
                   ? twoCells(s + 5, s + 1)
                   : oneCell(s + 1);
      case 2:  // XX_XX, a second four in XX_XX_XX
        return (s + 7 <= n - 1 && cell(s + 5) == kEmpty && cell(s + 6) == v && cell(s + 7) == v &&
                (!exact || cell(s + 8) != v) && (p == s + 3 || p == s + 4))
                   ? twoCells(s + 5, s + 2)
                   : oneCell(s + 2);
      default:  // XXX_X, a second four in XXX_X_XXX
        return (s + 8 <= n - 1 && cell(s + 5) == kEmpty && cell(s + 6) == v && cell(s + 7) == v && cell(s + 8) == v &&
                (!exact || cell(s + 9) != v) && p == s + 4)
                   ? twoCells(s + 5, s + 3)
                   : oneCell(s + 3);
    }
  }
  return 0;
}

int findThreeDefence(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const LineReader cell{line, n};
  const int32_t v = cell(p);
  if (v != kBlack && v != kWhite) return 0;
  const bool exact = exactFiveFor(v);

  for (int s = std::max(p - 3, 0); s <= std::min(p, n - 4); ++s) {
    const int gap = singleGapOf(line, s, 4, v);
    if (gap <= 0) continue;  // not three stones and a gap, or _XXX (the next window sees it as XXX_)
    if (gap == 3) {          // XXX_
      if (cell(s - 1) != kEmpty || cell(s - 2) == v || cell(s + 4) == v) continue;
      if (!exact) {
        const bool lowOpen = cell(s - 2) == kEmpty;
        const bool highOpen = cell(s + 4) == kEmpty;
        if (lowOpen && highOpen) return twoCells(s + 3, s - 1);
        if (lowOpen) return threeCells(s + 3, s - 2, s - 1);
        if (highOpen) return threeCells(s + 4, s - 1, s + 3);
        continue;
      }
      const bool highOpen = cell(s + 4) == kEmpty && cell(s + 5) != v;
      if (cell(s - 2) == kEmpty && cell(s - 3) != v) {
        return highOpen ? twoCells(s + 3, s - 1) : threeCells(s + 3, s - 2, s - 1);
      }
      if (highOpen) return threeCells(s + 4, s - 1, s + 3);
      continue;
    }
    // XX_X (gap 2) and X_XX (gap 1): the gap and both ends stop it.
    if (cell(s - 1) != kEmpty || cell(s + 4) != kEmpty) continue;
    if (exact && (cell(s - 2) == v || cell(s + 5) == v)) continue;
    return threeCells(s + 4, s - 1, s + gap);
  }
  return 0;
}

}  // namespace quenvik
