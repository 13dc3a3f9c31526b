// One-ply cell scoring and the fallback move.
#pragma once

#include <cstdint>

namespace quenvik {

// Score of `colour` (+1 or -1) playing empty cell (a, b), from the current
// pattern state.
int32_t scoreCell(int a, int b, int32_t colour);

// The fallback move for the side to move, as a MoveNumber; -1 when no empty
// cell scores 0 or more.
int fallbackMove();

}  // namespace quenvik
