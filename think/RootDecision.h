// The root move decision on the engine board the think thread has set up.
#pragma once

#include "think/Reporter.h"

namespace quenvik {

// Whether the progress line of iteration d is printed: always for the
// first, later only once the search has some nodes behind it.
inline bool iterationLineDue(int d, int nodeCount) { return d == 0 || nodeCount >= 2 * d + 2; }

// The search shape of a decision.
struct RootLimits {
  int maxIterationIndex;
  int referenceWidth;
  int widthNumerator;
  int widthDenominator;
};

// What one root decision settled on.
struct RootOutcome {
  int move;       // MoveNumber, -1 for none
  int score;      // for the side to move
  int depth;      // deepest finished iteration
  bool searched;  // false: the fallback chooser's move, or none
};

// Chooses the engine's move with the root moves `excluded` (MoveNumbers)
// left out. With none excluded this is the ordinary decision, the fallback
// move included; otherwise a search that finds no move returns move -1.
// With `blockPerIteration` (and show_detail on) each finished iteration is
// reported as an analysis block.
RootOutcome decideRootMove(const Reporter& reporter, const RootLimits& limits, const int* excluded, int excludedCount,
                           bool blockPerIteration);

// The ordinary decision; returns a MoveNumber, or -1 when the searched
// square has no empty cell.
int rootDecision(const Reporter& reporter, int maxIterationIndex, int referenceWidth, int widthNumerator,
                 int widthDenominator);

// An analysis block for a root outcome, as line pvIndex of pvCount.
void reportAnalysis(const Reporter& reporter, const RootOutcome& outcome, int pvIndex, int pvCount);

}  // namespace quenvik
