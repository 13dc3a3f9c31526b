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
};

// What the rule answers. exactFive: exactly five wins for both colours.
constexpr bool exactFive(Rule rule) { return rule == Rule::ExactFive; }
constexpr bool renju(Rule rule) { return rule == Rule::Renju; }

// A new game (START, RECTSTART) clears exact five and keeps Renju: managers
// send their rule after START.
constexpr Rule withoutExactFive(Rule rule) { return rule == Rule::ExactFive ? Rule::Freestyle : rule; }

// The protocol's mask: 1 exactly five, 4 Renju; the continuous-game bit 2
// and every other bit are ignored. Both bits name no rule the engine plays:
// no value.
constexpr int32_t kExactFiveBit = 1;
constexpr int32_t kRenjuBit = 4;
constexpr std::optional<Rule> ruleFromMask(int32_t mask) {
  switch (mask & (kExactFiveBit | kRenjuBit)) {
    case 0:
      return Rule::Freestyle;
    case kExactFiveBit:
      return Rule::ExactFive;
    case kRenjuBit:
      return Rule::Renju;
    default:
      return std::nullopt;
  }
}

// The tool's names: "freestyle", "exact", "renju".
constexpr std::string_view ruleName(Rule rule) {
  switch (rule) {
    case Rule::ExactFive:
      return "exact";
    case Rule::Renju:
      return "renju";
    default:
      return "freestyle";
  }
}

constexpr std::optional<Rule> ruleFromName(std::string_view name) {
  for (const Rule rule : {Rule::Freestyle, Rule::ExactFive, Rule::Renju}) {
    if (ruleName(rule) == name) return rule;
  }
  return std::nullopt;
}

// The names in the order the tool lists them, for its messages.
constexpr std::string_view kRuleNames = "freestyle, exact or renju";

}  // namespace quenvik
