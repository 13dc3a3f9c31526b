// The stable/changing choice of the time budget, as a pure function of the
// last three deepening results.
#include <gtest/gtest.h>

#include "core/EngineState.h"
#include "think/TimeControl.h"

namespace quenvik {
namespace {

TEST(TimeControl, ThreeAgreeingIterationsWithoutAScoreDropAreStable) {
  EXPECT_TRUE(bestMoveStable({10, 40}, {12, 40}, {12, 40}));
  EXPECT_TRUE(bestMoveStable({10, 40}, {12, 40}, {8, 40}));    // a drop of 4
  EXPECT_FALSE(bestMoveStable({10, 40}, {12, 40}, {7, 40}));   // a drop of 5
  EXPECT_FALSE(bestMoveStable({10, 40}, {12, 40}, {30, 41}));  // the latest move differs
  EXPECT_FALSE(bestMoveStable({10, 39}, {12, 40}, {30, 40}));  // the one before differs
  EXPECT_FALSE(bestMoveStable({0, 0}, {0, -1}, {20000, 40}));  // the first iteration
}

TEST(TimeControl, TheBudgetWidensWhileTheBestMoveChanges) {
  resetSettings();
  engine.timeLeft = 30000;
  engine.turnTimeout = 30000000;
  EXPECT_EQ(currentTimeBudget(budgetDivisorFor(true)), 30000 / 15 - 100);
  EXPECT_EQ(currentTimeBudget(budgetDivisorFor(false)), 30000 / 7 - 100);
  engine.turnTimeout = 1000;  // the per-move limit caps both
  EXPECT_EQ(currentTimeBudget(budgetDivisorFor(false)), 900);
  resetSettings();
}

TEST(TimeControl, TheSoftLimitIsAThirdOfTheBudget) {
  EXPECT_FALSE(softLimitReached(632, 1900));
  EXPECT_TRUE(softLimitReached(633, 1900));
  EXPECT_TRUE(softLimitReached(0, -100));  // a spent budget stops at once
}

}  // namespace
}  // namespace quenvik
