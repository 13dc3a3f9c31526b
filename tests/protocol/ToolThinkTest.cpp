// quenvik think and quenvik bench report a decision through the same seam as
// the protocol: the lines `think` prints are the engine's own lines for the
// same position, and the bench's nodes and move are that decision's.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/EngineSession.h"
#include "support/Process.h"

namespace quenvik::test {
namespace {

// Times vary from run to run; everything else must match.
std::string withoutTimes(const std::string& line) {
  static const std::regex iteration(R"(^(MESSAGE [ \d]\d;\(-?\d+,\d+\) +-?\d+ ----------) +\d+$)");
  static const std::regex summary(R"(Time=\d+ms, speed=\d+, )");
  std::string out = std::regex_replace(line, iteration, "$1 T");
  return std::regex_replace(out, summary, "Time=T, speed=S, ");
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(withoutTimes(line));
  return lines;
}

TEST(ToolThink, PrintsTheEnginesOwnLinesForTheSamePosition) {
  // Black 7,7 and 9,9, White 8,8 and 6,6; the engine is Black, to move.
  const ProcessResult tool = runTool({"think", "--moves", "7,7 8,8 9,9 6,6", "--nodes", "1500"});
  ASSERT_EQ(tool.status, 0) << tool.err;

  EngineSession engine;
  engine.send("INFO max_node 1500");
  engine.start(15);
  engine.board({"7,7", "9,9"}, {"8,8", "6,6"});
  std::vector<std::string> protocol;
  const std::string move = engine.move(&protocol);
  protocol.push_back(move);
  for (std::string& line : protocol) line = withoutTimes(line);

  EXPECT_EQ(linesOf(tool.out), protocol);
}

TEST(ToolBench, EndsWithTheSignatureOfItsNodesAndMoves) {
  const ProcessResult bench = runTool({"bench", "--nodes", "300"});
  ASSERT_EQ(bench.status, 0) << bench.err;
  const std::vector<std::string> lines = linesOf(bench.out);
  ASSERT_GE(lines.size(), 2u);
  std::smatch total, signature;
  ASSERT_TRUE(std::regex_match(lines[lines.size() - 2], total, std::regex(R"(bench: (\d+) nodes .*)")));
  ASSERT_TRUE(std::regex_match(lines.back(), signature, std::regex(R"(signature: (\d+)-[0-9a-f]{8})")));
  EXPECT_EQ(total[1], signature[1]);
}

}  // namespace
}  // namespace quenvik::test
