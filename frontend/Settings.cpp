#include "frontend/Settings.h"

#include "core/EngineState.h"
#include "think/Game.h"

namespace quenvik {

namespace {

constexpr int32_t kZeroTurnTimeout = 200;
constexpr int32_t kZeroMatchTime = 99999999;
constexpr int32_t kGuiRenjuRule = 2;  // the GUI's own number for Renju

// The rule an INFO rule value names; a mask naming no rule the engine plays
// leaves the rule as it was.
Rule ruleOfInfo(int32_t value) {
  if (value == kGuiRenjuRule && engine.ruleTwoIsRenju != 0) return Rule::Renju;
  return ruleFromMask(value).value_or(gameRule());
}

// Table entries hold scores and moves of the old rule (a five that is now an
// overline, a win that is now forbidden): a changed rule starts them afresh.
void applyRule(int32_t value) {
  const Rule before = gameRule();
  engine.rule = ruleOfInfo(value);
  if (gameRule() != before) clearHashTable();
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
  } else if (key == "max_depth") {
    engine.depthLimit = value;
  } else if (key == "show_detail") {
    engine.showDetail = value;
  } else if (key == "hash_size") {
    engine.hashSizeKiB = value;
  } else if (key == "max_memory") {
    engine.memoryCap = value;
  }
  // game_type, evaluate, folder, thread_num, pondering, caution_factor,
  // time_increment and nbestsym are accepted and unused.
}

}  // namespace quenvik
