// The principal alpha-beta search.
#pragma once

#include "core/EngineState.h"

namespace quenvik {

// Fractional-depth negamax on engine.board for the side to move.
SearchResult principalSearch(int width, double depth, int alpha, int beta, int parity, int isRoot, int lateMoveCount);

}  // namespace quenvik
