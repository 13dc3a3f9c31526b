// Taking pattern updates back must restore the exact state, byte for byte,
// however the search nests, leaves and abandons its updates.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Value/ValueW.h"
#include "core/EngineState.h"
#include "rules/PatternUndo.h"
#include "rules/Patterns.h"
#include "tests/unit/RulesBoardText.h"

namespace quenvik {
namespace {

using test::setEmptyBoard;
using test::setRule;

struct WalkCounts {
  int nodes = 0;
  int forcedBlocks = 0;  // leaves whose evaluation updated the state again
  int abandoned = 0;     // nodes left without their undo, as early returns do
};

bool sameState(const PatternState& x, const PatternState& y) { return std::memcmp(&x, &y, sizeof x) == 0; }

std::pair<int, int> randomEmptyCell(std::mt19937& random) {
  const int n = engine.boardSize;
  for (;;) {
    const int a = static_cast<int>(random() % n);
    const int b = static_cast<int>(random() % n);
    if (engine.board[a][b] == kEmpty) return {a, b};
  }
}

// One node as the principal search makes it: mark, update to the board, then
// either evaluate (a leaf) or try a few moves; finally undo, or now and then
// return without undoing and leave it to the parent's undo.
void visit(std::mt19937& random, int pliesLeft, bool isRoot, WalkCounts& counts, const std::string& where) {
  ++counts.nodes;
  const PatternState before = engine.patterns;
  const PatternMark mark = isRoot ? startPatternHistory() : markPatterns();
  updatePatterns();
  if (pliesLeft == 0) {
    const PatternState updated = engine.patterns;
    const int32_t justMoved = -sideToMove();
    evaluatePosition(justMoved);
    counts.forcedBlocks += !sameState(updated, engine.patterns);
  } else {
    const int children = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < children; ++i) {
      const auto [a, b] = randomEmptyCell(random);
      engine.board[a][b] = sideToMove();
      engine.stoneCount += 1;
      visit(random, pliesLeft - 1, false, counts, where);
      engine.board[a][b] = kEmpty;
      engine.stoneCount -= 1;
    }
  }
  if (!isRoot && random() % 6 == 0) {
    ++counts.abandoned;
    return;
  }
  undoPatternsTo(mark);
  EXPECT_TRUE(sameState(before, engine.patterns)) << where << ", " << pliesLeft << " plies left";
  EXPECT_EQ(engine.patternUndoLog.size(), mark) << where;
}

TEST(PatternUndo, UndoRestoresTheExactStateUnderEveryRule) {
  std::mt19937 random(90210);
  for (const Rule rule : kAllRules) {
    WalkCounts counts;
    for (const int n : {9, 15, 20}) {
      for (int game = 0; game < 12; ++game) {
        setRule(rule);
        setEmptyBoard(n);
        // Crowded boards are full of fours, so leaves often take the
        // evaluation's forced-block path.
        const int stones = n * n * (10 + static_cast<int>(random() % 30)) / 100;
        for (int k = 0; k < stones; ++k) {
          const auto [a, b] = randomEmptyCell(random);
          engine.board[a][b] = sideToMove();
          engine.stoneCount += 1;
        }
        rebuildPatterns();
        const std::string where =
            std::string(ruleName(rule)) + " n=" + std::to_string(n) + " game " + std::to_string(game);
        visit(random, 1 + static_cast<int>(random() % 4), true, counts, where);
        if (HasFailure()) return;
      }
    }
    // The walk must have reached the paths it is meant to check.
    EXPECT_GT(counts.forcedBlocks, 0) << ruleName(rule);
    EXPECT_GT(counts.abandoned, 0) << ruleName(rule);
  }
  setRule(Rule::Freestyle);
}

}  // namespace
}  // namespace quenvik
