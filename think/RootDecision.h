// The root move decision on the engine board the think thread has set up.
#pragma once

namespace quenvik {

// Chooses the engine's move; returns a MoveNumber, or -1 when the searched
// square has no empty cell.
int rootDecision(int maxIterationIndex, int referenceWidth, int widthNumerator, int widthDenominator);

}  // namespace quenvik
