#include "think/Game.h"

#include <bit>

#include "AI/PositionTable.h"
#include "core/Platform.h"
#include "rules/LineViews.h"
#include "rules/Position.h"
#include "rules/Renju.h"

namespace quenvik {

void newGame() {
  makeGameKeys();
  clearPositionTable();
}

void clearHashTable() { clearPositionTable(); }

void startWarmingTable() { startTableWarmer(); }

void stopWarmingTable() { stopTableWarmer(); }

int largestTableKiBLog2() { return std::countr_zero(kTableBytes / 1024); }

int forbiddenPointsOfRecord(int32_t* cells) {
  if (engine.gameSize == 0 || !renju() || engine.recordCount % 2 != 0) return 0;
  int count = 0;
  // The forbidden test recurses through the cells a three needs, and so does
  // the pattern rebuild of the set-up: both want a search-sized stack.
  runOnSearchStack([&count, cells] {
    const int n = engine.gameSize;
    setUpEngineBoard({0, 0, n});
    LineViews views;
    buildLineViews(views);
    for (int m = 0; m < n * n; ++m) {
      const int a = moveRow(m, n);
      const int b = moveColumn(m, n);
      if (engine.board[a][b] == kEmpty && forbiddenKind(views, a, b) != Allowed) cells[count++] = cellIndexOf(a, b);
    }
  });
  return count;
}

}  // namespace quenvik
