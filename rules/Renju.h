// Renju forbidden moves for Black, and the line and cell tests they are built
// from. Line tests read a padded line (the cell at position q is element
// q + 2) of the current board size; cell tests read a LineViews.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

enum ForbiddenKind : int { Allowed = 0, DoubleThree = 1, DoubleFour = 2, OverlineKind = 3 };

// ---------------------------------------------------------------------------
// Line tests on the stone at position p (its colour is v)
// ---------------------------------------------------------------------------

// 1 if the stone at p is in five in a row: exactly five for Black under Renju
// and for either colour under exact five, otherwise five or more.
int lineFive(const int32_t* line, int p);

// 1 if Renju is on, the stone at p is Black and six Black stones in a row
// pass through p.
int lineOverline(const int32_t* line, int p);

// Number of fours (0, 1 or 2) through p, read with the exact-five reading.
int lineFours(const int32_t* line, int p);

// The three through p, if any, with its straight-four cells: 0 none;
// kOneFourCell | q one cell; kTwoFourCells | left << 8 | right two cells.
constexpr int32_t kOneFourCell = 0x100;
constexpr int32_t kTwoFourCells = 0x10000;
int32_t lineThree(const int32_t* line, int p);

// ---------------------------------------------------------------------------
// Cell tests on (a, b) of views; views is unchanged on return
// ---------------------------------------------------------------------------

bool makesFiveAt(LineViews& views, int a, int b);  // with a Black stone on an empty cell
int countRealThreesAt(LineViews& views, int a, int b);

// What a Black cell's line counts already say under Renju, before any full
// test: a double four or an overline without a five is forbidden outright,
// two open threes need the full test (whether both are real depends on
// stones further away), anything else is allowed.
enum class BlackVerdict { Allowed, Forbidden, NeedsFullTest };
constexpr BlackVerdict blackVerdictFromCounts(int fives, int fours, int overlines, int openThrees) {
  if (fives > 0) return BlackVerdict::Allowed;
  if (fours >= 2 || overlines > 0) return BlackVerdict::Forbidden;
  return openThrees >= 2 ? BlackVerdict::NeedsFullTest : BlackVerdict::Allowed;
}

// The kind's name as the tool prints it: "double-three", "double-four" or
// "overline" ("" when allowed).
constexpr const char* forbiddenKindName(int kind) {
  return kind == DoubleThree    ? "double-three"
         : kind == DoubleFour   ? "double-four"
         : kind == OverlineKind ? "overline"
                                : "";
}

// Whether a Black stone on (a, b) of views is forbidden, and of which kind.
// The cell may be empty or already hold the Black stone; Allowed when Renju is
// off, the cell holds White, or the stone makes exactly five.
int forbiddenKind(LineViews& views, int a, int b);

}  // namespace quenvik
