// quenvik forbidden and quenvik patterns, run as a user would run them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Process.h"

namespace quenvik::test {
namespace {

// Black: x x x . (2,5) . x x x in row 2 (double four); x x x (7,4) x x in
// row 7 (six); (11,10) with x x to its right and x x below it (two threes).
// White's stones stand on the edges, away from all three.
const std::string kOneOfEachKind =
    "2,1 0,14 2,2 1,14 2,3 3,14 2,7 4,14 2,8 5,14 2,9 14,0 7,1 14,2 7,2 14,4 7,3 14,6 7,5 9,0 7,6 10,0 "
    "11,11 12,0 11,12 13,0 12,10 0,8 13,10";

// A refused command prints one line on standard error and nothing else.
void expectUsageError(const std::vector<std::string>& args) {
  const ProcessResult result = runTool(args);
  std::string shown;
  for (const auto& arg : args) shown += arg + " ";
  EXPECT_EQ(result.status, 2) << shown;
  EXPECT_EQ(result.out, "") << shown;
  ASSERT_FALSE(result.err.empty()) << shown;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << shown << ": " << result.err;
}

TEST(ToolForbidden, ListsEachForbiddenCellWithItsKindInColumnOrder) {
  const ProcessResult result = runTool({"forbidden", "--rule", "renju", "--moves", kOneOfEachKind});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "7,4 overline\n2,5 double-four\n11,10 double-three\n");
}

TEST(ToolForbidden, PrintsNothingWithoutRenju) {
  for (const char* rule : {"freestyle", "exact"}) {
    const ProcessResult result = runTool({"forbidden", "--rule", rule, "--moves", kOneOfEachKind});
    EXPECT_EQ(result.status, 0) << rule;
    EXPECT_EQ(result.out, "") << rule;
    // The person is told why the list is empty.
    EXPECT_NE(result.err.find("--rule renju"), std::string::npos) << rule;
  }
  const ProcessResult empty = runTool({"forbidden", "--rule", "renju", "--size", "5"});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}

TEST(ToolPatterns, PrintsBothColoursOfTheCell) {
  // Black: x x . x in row 7 around (7,7); White's stones are in row 0.
  const ProcessResult result = runTool({"patterns", "--moves", "7,5 0,0 7,6 0,1 7,8", "--cell", "7,7"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "black: FourOpen OneOpen OneOpen OneOpen rank 69 level 5\n"
            "white: Dead OneOpen OneOpen OneOpen rank 6 level 0\n");
}

TEST(ToolPatterns, DoubleFourInOneLineIsForbiddenUnderRenju) {
  const std::vector<std::string> position = {"--moves", "7,4 0,0 7,6 0,2 7,8 0,4 7,10", "--cell", "7,7"};
  std::vector<std::string> renju = {"patterns", "--rule", "renju"};
  renju.insert(renju.end(), position.begin(), position.end());
  const ProcessResult result = runTool(renju);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "black: Four*2 OneOpen OneOpen OneOpen rank 0 level 0\n"
            "white: Dead OneOpen OneOpen OneOpen rank 6 level 0\n");
}

TEST(ToolRulesArguments, BadArgumentsExitWithStatusTwo) {
  expectUsageError({"forbidden-things"});
  expectUsageError({"forbidden", "--rule", "gomoku"});
  expectUsageError({"forbidden", "--size", "4"});
  expectUsageError({"forbidden", "--size", "21"});
  expectUsageError({"forbidden", "--size", "ten"});
  expectUsageError({"forbidden", "--moves", "7,7 15,0"});
  expectUsageError({"forbidden", "--size", "5", "--moves", "5,0"});
  expectUsageError({"forbidden", "--moves", "7,7 8,8 7,7"});
  expectUsageError({"forbidden", "--moves", "7-7"});
  expectUsageError({"forbidden", "--cell", "7,7"});
  expectUsageError({"patterns", "--moves", "7,7"});
  expectUsageError({"patterns", "--moves", "7,7", "--cell", "7,7"});
  expectUsageError({"patterns", "--size", "9", "--cell", "9,0"});
  expectUsageError({"patterns", "--cell", "-1,3"});
  expectUsageError({"patterns", "--cell", "seven"});
}

}  // namespace
}  // namespace quenvik::test
