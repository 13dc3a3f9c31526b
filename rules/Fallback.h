// One-ply cell scoring and the fallback move.
#pragma once

#include <cstdint>

namespace quenvik {

// Score of `colour` (+1 or -1) playing empty cell (a, b), from the current
// pattern state.
int32_t scoreCell(int a, int b, int32_t colour);

// The fallback move for the side to move, as a MoveNumber: the centre on an
// empty board, else one of the best cells scoring 0 or more, picked by one
// draw of the calling thread's generator. When every empty cell scores below
// 0 it is the best of them (the first in MoveNumber order among equals), so
// the answer is always a legal cell; -1 only when no cell is empty. Brings the
// pattern state up to date itself.
int fallbackMove();

}  // namespace quenvik
