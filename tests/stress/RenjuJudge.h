// Black's forbidden points under Renju, judged with the engine's own test,
// so the referee can tell a Renju engine that plays one.
#pragma once

#include <vector>

namespace quenvik::stress {

struct RenjuVerdict {
  bool forbidden = false;   // the move is a forbidden point for Black
  bool anyAllowed = false;  // Black had an empty cell that is not
};

// Judges Black's move `cell` (CellIndex) on a board of side `size` that
// holds `record` (CellIndex moves, Black on the even entries).
RenjuVerdict judgeBlackMove(int size, const std::vector<int>& record, int cell);

}  // namespace quenvik::stress
