// Line patterns and the incrementally kept pattern state of every empty cell.
#pragma once

#include <cstdint>

namespace quenvik {

// What one colour's four pattern codes of a cell add up to: the rank of the
// two best directions, the level, and the counts of open threes, fours (a
// Four counts its count, a FourOpen one), fives and overlines.
struct CellCounts {
  int32_t rank;
  int32_t level;
  int openThrees;
  int fours;
  int fives;
  int overlines;
};
CellCounts countLines(const int32_t* codes);

// Pattern code of the stone at `position` of a padded line (0 if empty).
int32_t classifyLine(const int32_t* line, int position);

// Recomputes patternCodes of both colours for direction d of empty cell (a, b).
void updateDirection(int a, int b, int d);

// Brings the pattern state in line with engine.board.
void updatePatterns();

// Recomputes every empty cell of the N x N square.
void rebuildPatterns();

}  // namespace quenvik
