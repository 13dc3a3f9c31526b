#include "think/RootDecision.h"

#include "core/EngineState.h"

namespace quenvik {

// Interim: answers the first empty cell in MoveNumber order until the full
// decision (threat searches, screening, iterative deepening) is wired in.
int rootDecision(int, int, int, int) {
  const int n = engine.boardSize;
  for (int m = 0; m < n * n; ++m) {
    if (engine.board[moveRow(m, n)][moveColumn(m, n)] == kEmpty) return m;
  }
  return -1;
}

}  // namespace quenvik
