#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "core/EngineState.h"
#include "frontend/CommandParse.h"
#include "frontend/LineInput.h"
#include "frontend/Settings.h"
#include "think/TimeControl.h"

namespace quenvik {
namespace {

TEST(CommandWord, UpperCasesAsciiLettersOnly) {
  EXPECT_EQ(commandWord("start 15"), "START");
  EXPECT_EQ(commandWord("  TaKeBaCk 1,2"), "TAKEBACK");
  EXPECT_EQ(commandWord("\tinfo\tx 1"), "INFO");
  EXPECT_EQ(commandWord("st\xe4rt"), "ST\xe4RT");
  EXPECT_EQ(commandWord(""), "");
  EXPECT_EQ(commandWord("   \t "), "");
}

TEST(NumberReading, ScanfStyleBlanksAndCommas) {
  int32_t x = 0, y = 0;
  ASSERT_TRUE(parseNumberPair("TURN 7,8", x, y));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 8);
  ASSERT_TRUE(parseNumberPair("TURN   7, 8 trailing", x, y));  // a blank may precede a number
  EXPECT_EQ(y, 8);
  EXPECT_FALSE(parseNumberPair("TURN 7 ,8", x, y));  // the comma must follow the number directly
  EXPECT_FALSE(parseNumberPair("TURN 7", x, y));
  EXPECT_FALSE(parseNumberPair("TURN", x, y));
  EXPECT_FALSE(parseNumberPair("TURN a,b", x, y));
  ASSERT_TRUE(parseNumberPair("TURN -1,+3", x, y));
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, 3);
}

TEST(NumberReading, NumbersBeyond32BitsAreUnreadable) {
  int32_t value = 0;
  ASSERT_TRUE(parseOneNumber("START 2147483647", value));
  EXPECT_EQ(value, INT_MAX);
  ASSERT_TRUE(parseOneNumber("START -2147483648", value));
  EXPECT_EQ(value, INT_MIN);
  EXPECT_FALSE(parseOneNumber("START 2147483648", value));
  EXPECT_FALSE(parseOneNumber("START -2147483649", value));
  EXPECT_FALSE(parseOneNumber("START 4294967311", value));  // would wrap to 15
  EXPECT_FALSE(parseOneNumber("START 99999999999999999999999", value));
  EXPECT_FALSE(parseOneNumber("START -", value));
}

TEST(NumberReading, InfoNeedsKeyAndNumber) {
  std::string key;
  int32_t value = 0;
  ASSERT_TRUE(parseInfo("INFO timeout_turn 5000", key, value));
  EXPECT_EQ(key, "timeout_turn");
  EXPECT_EQ(value, 5000);
  EXPECT_FALSE(parseInfo("INFO folder /tmp/x", key, value));
  EXPECT_FALSE(parseInfo("INFO max_node", key, value));
  EXPECT_FALSE(parseInfo("INFO", key, value));
  EXPECT_FALSE(parseInfo("INFO " + std::string(78, 'k') + " 5", key, value));
  EXPECT_TRUE(parseInfo("INFO " + std::string(77, 'k') + " 5", key, value));
}

TEST(NumberReading, StoneLines) {
  int32_t x = 0, y = 0, owner = 0;
  ASSERT_TRUE(parseStoneLine("7,8,1", x, y, owner));
  EXPECT_EQ(owner, 1);
  ASSERT_TRUE(parseStoneLine(" 7, 8, 2", x, y, owner));
  EXPECT_EQ(owner, 2);
  EXPECT_FALSE(parseStoneLine("7,8", x, y, owner));
  EXPECT_FALSE(parseStoneLine("7 ,8,1", x, y, owner));
  EXPECT_FALSE(parseStoneLine("x,8,1", x, y, owner));
  // A SWAP2BOARD block's stones have no owner.
  ASSERT_TRUE(parseCellLine(" 7, 8", x, y));
  EXPECT_EQ(x * 100 + y, 708);
  EXPECT_FALSE(parseCellLine("7 ,8", x, y));
  EXPECT_FALSE(parseCellLine("7", x, y));
}

std::FILE* inputOf(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  return file;
}

TEST(LineInput, LimitsCarriageReturnsAndTheLastLine) {
  std::FILE* in = inputOf("START 15\r\n" + std::string(99, 'a') + "\n" + std::string(100, 'b') + "\nEND");
  std::string line;
  ASSERT_EQ(readProtocolLine(in, line, kMaxCommandLine), LineStatus::Line);
  EXPECT_EQ(line, "START 15");
  ASSERT_EQ(readProtocolLine(in, line, kMaxCommandLine), LineStatus::Line);
  EXPECT_EQ(line.size(), 99u);
  EXPECT_EQ(readProtocolLine(in, line, kMaxCommandLine), LineStatus::TooLong);
  ASSERT_EQ(readProtocolLine(in, line, kMaxCommandLine), LineStatus::Line);  // the too-long line was consumed whole
  EXPECT_EQ(line, "END");
  EXPECT_EQ(readProtocolLine(in, line, kMaxCommandLine), LineStatus::End);
  std::fclose(in);
}

TEST(LineInput, BlockLinesHaveOneCharacterLess) {
  std::FILE* in = inputOf(std::string(98, '1') + "\n" + std::string(99, '1') + "\n" + std::string(5000, '1') + "\n");
  std::string line;
  EXPECT_EQ(readProtocolLine(in, line, kMaxBlockLine), LineStatus::Line);
  EXPECT_EQ(readProtocolLine(in, line, kMaxBlockLine), LineStatus::TooLong);
  EXPECT_EQ(readProtocolLine(in, line, kMaxBlockLine), LineStatus::TooLong);
  EXPECT_LE(line.capacity(), 1000u);  // nothing grows with the line's length
  EXPECT_EQ(readProtocolLine(in, line, kMaxBlockLine), LineStatus::End);
  std::fclose(in);
}

TEST(Settings, ZeroSubstitutionsAndPlainValues) {
  applyInfo("timeout_turn", 0);
  EXPECT_EQ(engine.turnTimeout.load(), 200);
  applyInfo("timeout_turn", 5000);
  EXPECT_EQ(engine.turnTimeout.load(), 5000);
  applyInfo("timeout_match", 0);
  EXPECT_EQ(engine.timeLeft.load(), 99999999);
  applyInfo("time_left", 0);
  EXPECT_EQ(engine.timeLeft.load(), 0);
  applyInfo("max_node", 12345);
  EXPECT_EQ(engine.nodeLimit.load(), 12345);
  applyInfo("compute_vcf", 0);
  EXPECT_EQ(engine.threatSearchOn.load(), 0);
  applyInfo("Timeout_turn", 100);  // keys are case-sensitive
  EXPECT_EQ(engine.turnTimeout.load(), 5000);
  applyInfo("max_node", 0);
  applyInfo("compute_vcf", 1);
  applyInfo("timeout_turn", kStartTurnTimeout);
  applyInfo("timeout_match", kStartTimeLeft);
}

TEST(Settings, RuleBits) {
  struct Case {
    int32_t value;
    Rule rule;
  };
  // Each case starts from exact five.
  // 5, 12 and 13 name two rules at once and keep it.
  const Case cases[] = {{1, Rule::ExactFive},  {4, Rule::Renju},      {2, Rule::Freestyle}, {5, Rule::ExactFive},
                        {7, Rule::ExactFive},  {6, Rule::Renju},      {0, Rule::Freestyle}, {-1, Rule::ExactFive},
                        {8, Rule::Caro},       {9, Rule::CaroExact},  {10, Rule::Caro},     {11, Rule::CaroExact},
                        {12, Rule::ExactFive}, {13, Rule::ExactFive}, {16 + 8, Rule::Caro}};
  for (const Case& c : cases) {
    engine.rule = Rule::ExactFive;
    applyInfo("rule", c.value);
    EXPECT_EQ(gameRule(), c.rule) << c.value;
  }
  engine.rule = Rule::Freestyle;
}

TEST(Settings, StaticKeepsTheSignOfTheRemainder) {
  const std::pair<int32_t, int32_t> cases[] = {{3, 1}, {-1, -1}, {0, 0}, {2, 0}, {-4, 0}, {INT_MIN, 0}, {INT_MAX, 1}};
  for (const auto& [value, expected] : cases) {
    applyInfo("static", value);
    EXPECT_EQ(engine.fullBoard.load(), expected) << value;
  }
  applyInfo("static", 1);
}

TEST(TimeBudget, WorkedExamples) {
  EXPECT_EQ(timeBudgetFor(30000, 5000, 15), 1900);
  EXPECT_EQ(timeBudgetFor(30000000, 1000, 15), 900);
  EXPECT_EQ(timeBudgetFor(30000, 30000000, 7), 4185);
  EXPECT_EQ(timeBudgetFor(0, 30000000, 15), -100);
  EXPECT_EQ(timeBudgetFor(99999999, 200, 15), 100);
}

TEST(TimeBudget, ExtremeSettingsDoNotWrap) {
  EXPECT_EQ(timeBudgetFor(30000000, INT_MIN, 15), INT_MIN);
  EXPECT_EQ(timeBudgetFor(INT_MIN, INT_MAX, 15), INT_MIN / 15 - 100);
  EXPECT_EQ(timeBudgetFor(INT_MAX, INT_MAX, 7), INT_MAX / 7 - 100);
}

}  // namespace
}  // namespace quenvik
