// Time budget of a decision: how the per-move limit and the match time left
// combine, and when the budget widens.
#pragma once

#include <cstdint>

namespace quenvik {

// The budget takes time left / 15 while the best move is stable, time left
// / 7 while it keeps changing.
constexpr int32_t kStableBudgetDivisor = 15;
constexpr int32_t kChangingBudgetDivisor = 7;

// min(timeLeft / divisor, turnTimeout) - 100 ms, held inside the 32-bit range
// instead of wrapping.
int32_t timeBudgetFor(int32_t timeLeft, int32_t turnTimeout, int32_t divisor);

// A (score, move) result of one deepening iteration.
struct IterationResult {
  int score;
  int move;
};

// The best move is stable when three iterations in a row agree on it and the
// score has not dropped by 5 or more.
bool bestMoveStable(IterationResult previous, IterationResult current, IterationResult latest);

// The divisor of the budget after an iteration: the narrow one while stable.
constexpr int32_t budgetDivisorFor(bool stable) { return stable ? kStableBudgetDivisor : kChangingBudgetDivisor; }

// Budget from the current settings.
int32_t currentTimeBudget(int32_t divisor);

// Whether a third of the budget has passed since the decision started.
bool softLimitReached(int64_t elapsedMs, int32_t budgetMs);

}  // namespace quenvik
