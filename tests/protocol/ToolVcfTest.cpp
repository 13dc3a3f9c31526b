// quenvik vcf, driven as a shell user would.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "unit/ThreatPositions.h"

namespace quenvik::test {
namespace {

std::vector<std::string> cellsOf(const char* text) {
  std::vector<std::string> cells;
  std::istringstream words(text);
  std::string word;
  while (words >> word) cells.push_back(word);
  return cells;
}

// The position as a game record: Black and White alternating, Black first.
std::string movesOf(const ThreatPosition& position) {
  const auto black = cellsOf(position.black);
  const auto white = cellsOf(position.white);
  std::string moves;
  for (std::size_t i = 0; i < black.size() || i < white.size(); ++i) {
    if (i < black.size()) moves += black[i] + " ";
    if (i < white.size()) moves += white[i] + " ";
  }
  return moves;
}

std::vector<std::string> vcfArgs(const ThreatPosition& position) {
  return {"vcf", "--size", std::to_string(position.size), "--rule", position.rule, "--moves", movesOf(position)};
}

void expectToolAgrees(const ThreatPosition& position) {
  SCOPED_TRACE(position.name);
  const ProcessResult result = runTool(vcfArgs(position));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, std::string(position.toMove) + "\n" + position.other + "\n");
}

const ThreatPosition& named(const char* name) {
  for (const ThreatPosition& position : kThreatWins) {
    if (std::string(position.name) == name) return position;
  }
  ADD_FAILURE() << "no position " << name;
  return kThreatWins[0];
}

TEST(ToolVcf, ReportsTheForcedWinsOfBothSides) {
  for (const ThreatPosition& position : kThreatWins) expectToolAgrees(position);
}

TEST(ToolVcf, ReportsPositionsWithoutAForcedWin) {
  for (const ThreatPosition& position : kThreatNoWins) expectToolAgrees(position);
}

TEST(ToolVcf, RequestSearchesOnlyTheSideToMoveToItsLimit) {
  std::vector<std::string> args = vcfArgs(named("FreeLadderFive"));
  args.push_back("--request");
  for (const auto& [request, expected] :
       std::vector<std::pair<std::string, std::string>>{{"8", "to-move: win 2,4\n"},
                                                        {"7", "to-move: none (undecided)\n"},
                                                        {"4", "to-move: none (undecided)\n"},
                                                        {"0", "to-move: none (undecided)\n"}}) {
    args.push_back(request);
    const ProcessResult result = runTool(args);
    args.pop_back();
    EXPECT_EQ(result.status, 0) << request;
    EXPECT_EQ(result.out, expected) << request;
  }
  // A short request still proves what it can see to the end.
  std::vector<std::string> quiet = vcfArgs(named("FreeStraightFour"));
  quiet.insert(quiet.end(), {"--request", "1"});
  EXPECT_EQ(runTool(quiet).out, "to-move: win 7,4\n");
}

TEST(ToolVcf, EmptyBoardHasNoWinForEitherSide) {
  const ProcessResult result = runTool({"vcf"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "to-move: none (proven)\nother: none (proven)\n");
}

TEST(ToolVcf, RefusesBadArguments) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"vcf", "--request", "x"},
                                             {"vcf", "--request", "8x"},
                                             {"vcf", "--request", "-1"},
                                             {"vcf", "--request"},
                                             {"vcf", "--depth", "3"},
                                             {"vcf", "--moves", "7,7 7,7"},
                                             {"vcf", "--size", "5", "--moves", "5,0"}}) {
    const ProcessResult result = runTool(args);
    EXPECT_EQ(result.status, 2) << args.back();
    EXPECT_EQ(result.out, "") << args.back();
    EXPECT_NE(result.err, "") << args.back();
  }
}

}  // namespace
}  // namespace quenvik::test
