// The root move decision on the engine board the think thread has set up.
#pragma once

#include "think/Reporter.h"

namespace quenvik {

// Whether the progress line of iteration d is printed: always for the
// first, later only once the search has some nodes behind it.
inline bool iterationLineDue(int d, int nodeCount) { return d == 0 || nodeCount >= 2 * d + 2; }

// Chooses the engine's move; returns a MoveNumber, or -1 when the searched
// square has no empty cell.
int rootDecision(const Reporter& reporter, int maxIterationIndex, int referenceWidth, int widthNumerator,
                 int widthDenominator);

}  // namespace quenvik
