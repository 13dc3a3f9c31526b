// The game's rule: one value for the whole engine, and the one decoder that
// turns the protocol's bit mask (INFO rule, a record's RU) and the tool's
// names into it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quenvik {

enum class Rule : uint8_t {
  Freestyle,  // five or more in a row wins
  ExactFive,  // exactly five wins; six or more does not
  Renju,      // Black: exactly five, and no double three, double four or overline
  Caro,       // five or more wins, but not exactly five with the opponent's stones at both ends
  CaroExact,  // exactly five wins, but not with the opponent's stones at both ends
};

// What the rule answers. exactFive: exactly five wins for both colours
// (standard Caro too); caro: a five whose two end cells hold the opponent's
// stones does not win (the board's edge does not block).
constexpr bool exactFive(Rule rule) { return rule == Rule::ExactFive || rule == Rule::CaroExact; }
constexpr bool renju(Rule rule) { return rule == Rule::Renju; }
constexpr bool caro(Rule rule) { return rule == Rule::Caro || rule == Rule::CaroExact; }

// A new game (START, RECTSTART) clears exact five and keeps Renju: managers
// send their rule after START.
constexpr Rule withoutExactFive(Rule rule) {
  return rule == Rule::ExactFive ? Rule::Freestyle : rule == Rule::CaroExact ? Rule::Caro : rule;
}

// The protocol's mask: 1 exactly five, 4 Renju, 8 Caro; the continuous-game
// bit 2 and every other bit are ignored. Exact five with Renju (5), and Renju
// with Caro (12, 13), name no rule the engine plays: no value. Managers never
// send them (the reference manager's settings make Renju and Caro exclude
// each other), and each pair disagrees on what wins, so the engine keeps the
// rule it has rather than guess.
constexpr int32_t kExactFiveBit = 1;
constexpr int32_t kRenjuBit = 4;
constexpr int32_t kCaroBit = 8;
constexpr std::optional<Rule> ruleFromMask(int32_t mask) {
  switch (mask & (kExactFiveBit | kRenjuBit | kCaroBit)) {
    case 0:
      return Rule::Freestyle;
    case kExactFiveBit:
      return Rule::ExactFive;
    case kRenjuBit:
      return Rule::Renju;
    case kCaroBit:
      return Rule::Caro;
    case kCaroBit | kExactFiveBit:
      return Rule::CaroExact;
    default:
      return std::nullopt;
  }
}

// Every rule, in the order of their names below.
constexpr Rule kAllRules[] = {Rule::Freestyle, Rule::ExactFive, Rule::Renju, Rule::Caro, Rule::CaroExact};

// The tool's names: "freestyle", "exact", "renju", "caro", "caro-exact".
constexpr std::string_view ruleName(Rule rule) {
  switch (rule) {
    case Rule::ExactFive:
      return "exact";
    case Rule::Renju:
      return "renju";
    case Rule::Caro:
      return "caro";
    case Rule::CaroExact:
      return "caro-exact";
    default:
      return "freestyle";
  }
}

constexpr std::optional<Rule> ruleFromName(std::string_view name) {
  for (const Rule rule : kAllRules) {
    if (ruleName(rule) == name) return rule;
  }
  return std::nullopt;
}

// The mask that names a rule, as a record's RU holds it.
constexpr int32_t ruleMask(Rule rule) {
  switch (rule) {
    case Rule::ExactFive:
      return kExactFiveBit;
    case Rule::Renju:
      return kRenjuBit;
    case Rule::Caro:
      return kCaroBit;
    case Rule::CaroExact:
      return kCaroBit | kExactFiveBit;
    default:
      return 0;
  }
}

constexpr bool masksReadBack() {
  for (const Rule rule : kAllRules) {
    if (ruleFromMask(ruleMask(rule)) != rule) return false;
  }
  return true;
}
static_assert(masksReadBack(), "every rule's mask decodes to the rule");

// The names as the tool lists them in its messages.
constexpr std::string_view kRuleNames = "freestyle, exact, renju, caro or caro-exact";

}  // namespace quenvik
