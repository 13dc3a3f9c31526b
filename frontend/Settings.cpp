#include "frontend/Settings.h"

#include <algorithm>
#include <climits>

#include "core/EngineState.h"

namespace quenvik {

namespace {

constexpr int32_t kZeroTurnTimeout = 200;
constexpr int32_t kZeroMatchTime = 99999999;
constexpr int32_t kRuleBits = 5;  // 1 exactly five, 4 Renju
constexpr int32_t kBudgetReserveMs = 100;

void applyRule(int32_t value) {
  switch (value & kRuleBits) {
    case 0:
      engine.exactFive = 0;
      engine.renju = 0;
      break;
    case 1:
      engine.exactFive = 1;
      engine.renju = 0;
      break;
    case 4:
      engine.exactFive = 0;
      engine.renju = 1;
      break;
    default:  // both bits: neither rule alone, so nothing changes
      break;
  }
}

}  // namespace

void applyInfo(std::string_view key, int32_t value) {
  if (key == "timeout_turn") {
    engine.turnTimeout = value == 0 ? kZeroTurnTimeout : value;
  } else if (key == "timeout_match") {
    engine.timeLeft = value == 0 ? kZeroMatchTime : value;
  } else if (key == "time_left") {
    engine.timeLeft = value;
  } else if (key == "rule") {
    applyRule(value);
  } else if (key == "static") {
    engine.fullBoard = value % 2;
  } else if (key == "max_node") {
    engine.nodeLimit = value;
  } else if (key == "compute_vcf") {
    engine.threatSearchOn = value;
  }
  // max_memory, game_type, evaluate and folder are accepted and unused.
}

int32_t timeBudgetFor(int32_t timeLeft, int32_t turnTimeout, int32_t divisor) {
  const int64_t budget = int64_t{std::min(timeLeft / divisor, turnTimeout)} - kBudgetReserveMs;
  return static_cast<int32_t>(std::clamp<int64_t>(budget, INT_MIN, INT_MAX));
}

}  // namespace quenvik
