// Line threat finders: the cells where a stone's owner completes five along
// its line, and the cells that stop an open three through it, read from the
// line table through the one line reading.
#pragma once

#include <cstdint>

#include "rules/LineReading.h"

namespace quenvik {

// On a line key, for a stone of colour under the game's rule: the cells as
// offsets from the stone.
inline LineCells fivePointsOn(LineKey key, int32_t colour) {
  return lineTable.fivePoints[segmentOf(lineReadingFor(gameRule(), colour), key)];
}
inline LineCells threeDefenceOn(LineKey key, int32_t colour) {
  return lineTable.threeDefence[segmentOf(lineReadingFor(gameRule(), colour), key)];
}

// The same on a padded line (the cell at position q is element q + 2), for
// the stone at position p, as line positions.
//
// findFourPoints: 0 none; q | 0x100 one cell; q1 | q2 << 8 | 0x10000 two cells.
int findFourPoints(const int32_t* line, int p);

// findThreeDefence: 0 none; q1 | q2 << 8 | 0x10000 two cells;
// q1 | q2 << 8 | q3 << 16 | 0x1000000 three cells.
int findThreeDefence(const int32_t* line, int p);

}  // namespace quenvik
