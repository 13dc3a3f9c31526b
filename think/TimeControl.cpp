#include "think/TimeControl.h"

#include <algorithm>
#include <climits>

#include "core/EngineState.h"

namespace quenvik {

namespace {

constexpr int32_t kBudgetReserveMs = 100;
constexpr int kStableScoreDrop = 5;

}  // namespace

int32_t timeBudgetFor(int32_t timeLeft, int32_t turnTimeout, int32_t divisor) {
  const int64_t budget = int64_t{std::min(timeLeft / divisor, turnTimeout)} - kBudgetReserveMs;
  return static_cast<int32_t>(std::clamp<int64_t>(budget, INT_MIN, INT_MAX));
}

bool bestMoveStable(IterationResult previous, IterationResult current, IterationResult latest) {
  return latest.score > current.score - kStableScoreDrop && latest.move == current.move &&
         previous.move == current.move;
}

int32_t currentTimeBudget(int32_t divisor) {
  return timeBudgetFor(engine.timeLeft.load(), engine.turnTimeout.load(), divisor);
}

bool softLimitReached(int64_t elapsedMs, int32_t budgetMs) { return elapsedMs >= budgetMs / 3; }

}  // namespace quenvik
