// quenvik eval and quenvik search, driven as a shell user would.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/Process.h"

namespace quenvik::test {
namespace {

struct SearchLine {
  int score = 0;
  std::string move;
  int nodes = 0;
};

SearchLine runSearch(const std::vector<std::string>& args) {
  std::vector<std::string> full = {"search"};
  full.insert(full.end(), args.begin(), args.end());
  const ProcessResult result = runTool(full);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::smatch m;
  const std::regex line(R"(score (-?\d+) move (none|\d+,\d+) nodes (\d+)\n)");
  if (!std::regex_match(result.out, m, line)) {
    ADD_FAILURE() << "unexpected output: " << result.out;
    return {};
  }
  return {std::stoi(m[1]), m[2], std::stoi(m[3])};
}

struct EvalLine {
  double value = 0.0;
  int search = 0;
};

EvalLine runEval(const std::vector<std::string>& args) {
  std::vector<std::string> full = {"eval"};
  full.insert(full.end(), args.begin(), args.end());
  const ProcessResult result = runTool(full);
  EXPECT_EQ(result.status, 0) << result.err;
  std::smatch m;
  const std::regex line(R"(eval (-?\d+\.\d{6}) search (-?\d+)\n)");
  if (!std::regex_match(result.out, m, line)) {
    ADD_FAILURE() << "unexpected output: " << result.out;
    return {};
  }
  return {std::stod(m[1]), std::stoi(m[2])};
}

const std::string kOpening = "7,7 8,8 8,7 6,7 9,6 7,8 6,9 9,9 8,9 7,10 5,8 10,7";

TEST(ToolSearch, RepeatedSearchPrintsTheSameLine) {
  const SearchLine first = runSearch({"--moves", kOpening, "--depth", "3"});
  const SearchLine second = runSearch({"--moves", kOpening, "--depth", "3"});
  EXPECT_EQ(first.score, second.score);
  EXPECT_EQ(first.move, second.move);
  EXPECT_EQ(first.nodes, second.nodes);
  EXPECT_GT(first.nodes, 100);
  EXPECT_NE(first.move, "none");
  // A deeper search looks at more nodes.
  EXPECT_GT(runSearch({"--moves", kOpening, "--depth", "4"}).nodes, first.nodes);
}

TEST(ToolSearch, CompletesFiveAtOnceAndBlocksTheOpponentsFour) {
  // Black's four along x = 0 (y 0..3); Black to move completes it at 0,4.
  SearchLine line = runSearch({"--size", "10", "--moves", "0,0 5,5 0,1 5,7 0,2 6,9 0,3 9,9", "--depth", "3"});
  EXPECT_EQ(line.score, 20000);
  EXPECT_EQ(line.move, "0,4");
  EXPECT_EQ(line.nodes, 1);
  // White to move must block it.
  line = runSearch({"--size", "5", "--moves", "0,0 1,1 0,1 1,2 0,2 1,3 0,3", "--depth", "2"});
  EXPECT_EQ(line.move, "0,4");
  EXPECT_GT(line.score, -15000);
}

TEST(ToolSearch, NodeLimitStopsTheSearch) {
  const SearchLine line = runSearch({"--moves", kOpening, "--depth", "4", "--nodes", "50"});
  EXPECT_EQ(line.nodes, 50);
  // Stopped inside its first move, the root has no earlier result to give.
  EXPECT_EQ(line.score, 0);
  EXPECT_EQ(line.move, "none");
  EXPECT_GT(runSearch({"--moves", kOpening, "--depth", "4", "--nodes", "0"}).nodes, 50);
}

TEST(ToolSearch, NoMoveOnAnEmptyBoard) {
  const SearchLine line = runSearch({"--depth", "2"});
  EXPECT_EQ(line.score, -20001);
  EXPECT_EQ(line.move, "none");
  EXPECT_EQ(line.nodes, 1);
}

TEST(ToolSearch, DepthZeroIsTheLeafValueThatEvalReports) {
  for (const std::string rule : {"freestyle", "exact", "renju"}) {
    const EvalLine eval = runEval({"--rule", rule, "--moves", kOpening});
    const SearchLine leaf = runSearch({"--rule", rule, "--moves", kOpening, "--depth", "0"});
    EXPECT_EQ(leaf.score, eval.search) << rule;
    EXPECT_EQ(leaf.move, "none");
    EXPECT_EQ(leaf.nodes, 1);
    EXPECT_EQ(eval.search, static_cast<int>(-eval.value)) << rule;
  }
}

TEST(ToolEval, DecidedValues) {
  // White has just moved; Black, to move, can complete five.
  EvalLine eval = runEval({"--moves", "0,0 5,5 0,1 5,7 0,2 6,9 0,3 9,9"});
  EXPECT_EQ(eval.value, -15000.0);
  EXPECT_EQ(eval.search, 15000);
  // Black has just moved with an open four; White can block one end only.
  eval = runEval({"--moves", "3,0 9,9 4,0 9,11 5,0 9,13 6,0"});
  EXPECT_EQ(eval.value, 15000.0);
  EXPECT_EQ(eval.search, -15000);
}

TEST(ToolEval, QuietValueFavoursTheSideToMove) {
  // On the empty board both colours' cells are worth the same and there is no
  // stone shape: what is left is the tempo of 20 for Black, who is to move.
  EvalLine eval = runEval({});
  EXPECT_EQ(eval.value, -20.0);
  EXPECT_EQ(eval.search, 20);
  // One stone: White to move, still a quiet position.
  eval = runEval({"--moves", "7,7"});
  EXPECT_GT(eval.value, -100.0);
  EXPECT_LT(eval.value, 100.0);
}

TEST(ToolSearchUsage, BadArgumentsAreRefusedWithStatusTwo) {
  const std::vector<std::vector<std::string>> refused = {
      {"search"},
      {"search", "--depth", "deep"},
      {"search", "--depth", "1e9"},
      {"search", "--depth", "2", "--nodes", "-5"},
      {"search", "--depth", "2", "--nodes", "many"},
      {"search", "--depth", "2", "--moves", "7,7 7,7"},
      {"eval", "--depth", "2"},
      {"eval", "--moves", "20,3"},
  };
  for (const auto& args : refused) {
    const ProcessResult result = runTool(args);
    EXPECT_EQ(result.status, 2) << args.back();
    EXPECT_EQ(result.out, "") << args.back();
    EXPECT_NE(result.err, "") << args.back();
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  }
}

}  // namespace
}  // namespace quenvik::test
