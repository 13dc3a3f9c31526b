// The principal alpha-beta search.
#pragma once

#include "core/EngineState.h"

namespace quenvik {

// Fractional-depth negamax on engine.board for the side to move.
SearchResult principalSearch(int width, double depth, int alpha, int beta, int isRoot, int lateMoveCount);

// The state a root search starts from outside a decision (tools, tests,
// benchmarks): counters and stop words cleared, the width parameters of a
// decision, every empty cell a root candidate, the pattern state current.
void prepareStandaloneRootSearch(int32_t nodeLimit);

// Depth every move of a node costs when the node searches `moves` moves:
// 0.1 for one move, 1.0 for referenceWidth moves, growing with the logarithm.
double baseReduction(int moves, int referenceWidth);

}  // namespace quenvik
