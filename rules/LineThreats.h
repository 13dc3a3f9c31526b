// Line threat finders on one padded line (the cell at position q is element
// q + 2).
#pragma once

#include <cstdint>

namespace quenvik {

// Line threat finders, on a padded line, for the stone at position p.
//
// findFourPoints: the cells where the stone's owner completes five along the
// line. 0 none; q | 0x100 one cell; q1 | q2 << 8 | 0x10000 two cells.
int findFourPoints(const int32_t* line, int p);

// findThreeDefence: the cells that stop an open three through the stone.
// 0 none; q1 | q2 << 8 | 0x10000 two cells;
// q1 | q2 << 8 | q3 << 16 | 0x1000000 three cells.
int findThreeDefence(const int32_t* line, int p);

}  // namespace quenvik
