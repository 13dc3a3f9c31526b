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

// The ordinary decision; returns a MoveNumber, or -1 when the searched
// square has no empty cell. With `withDefences` it also reports which
// moves stop the opponent's forced win by fours (YXSEARCHDEFEND).
int rootDecision(const Reporter& reporter, const RootLimits& limits, bool withDefences);

// One search of a decision made of several (Swap2): the ordinary decision
// with the root moves `excluded` (MoveNumbers) left out, reporting no
// analysis blocks. With moves excluded, a search that finds no move returns
// move -1 instead of the fallback chooser's.
RootOutcome decideRootMoveWithout(const Reporter& reporter, const RootLimits& limits, const int* excluded,
                                  int excludedCount);

// N-best (YXNBEST): the `lines` best root moves, deepened together. Each
// iteration searches the first line, then the second with the first's move
// left out at the root, and so on, all at the same depth, under the
// decision's own time budget and node limit. A stop keeps every line of the
// last finished iteration. The lines are reported best first (under
// show_detail after each finished iteration too); returns the best line's
// move, or the fallback chooser's when none was found.
int analyseBestMoves(const Reporter& reporter, const RootLimits& limits, int lines);

// An analysis block for a root outcome, as line pvIndex of pvCount.
void reportAnalysis(const Reporter& reporter, const RootOutcome& outcome, int pvIndex, int pvCount);

}  // namespace quenvik
