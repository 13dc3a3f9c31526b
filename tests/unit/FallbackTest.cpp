// Cell scoring and the fallback move.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EngineState.h"
#include "rules/Fallback.h"
#include "rules/Patterns.h"
#include "tests/unit/RulesBoardText.h"

namespace quenvik {
namespace {

using test::setBoardText;
using test::setEmptyBoard;
using test::setRule;

// 7 x 7 filler in which every five cells of a line hold both colours, so an
// empty cell among them is dead for both sides and scores 0.
std::vector<std::string> deadFiller() {
  std::vector<std::string> rows(7, std::string(7, '.'));
  for (int a = 0; a < 7; ++a) {
    for (int b = 0; b < 7; ++b) rows[a][b] = (a + 2 * b) % 4 < 2 ? 'x' : 'o';
  }
  return rows;
}

// Sets the position, the side to move and a fresh pattern state, as the
// think thread does at the start of a decision, and restarts the generator.
void setPosition(const std::vector<std::string>& rows, int32_t sideToMove) {
  setBoardText(rows);
  if ((engine.stoneCount % 2 == 0) != (sideToMove == kBlack)) ++engine.stoneCount;
  rebuildPatterns();
  seedRandom(kThinkThreadSeed);
}

// The empty cells tied at the best score, in MoveNumber order.
std::vector<int> bestCells(int32_t side) {
  const int n = engine.boardSize;
  std::vector<int> cells;
  int32_t best = INT32_MIN;
  for (int m = 0; m < n * n; ++m) {
    const int a = m % n, b = m / n;
    if (engine.board[a][b] != kEmpty) continue;
    const int32_t s = scoreCell(a, b, side);
    if (s > best) cells.clear(), best = s;
    if (s == best) cells.push_back(m);
  }
  return cells;
}

TEST(Fallback, CentreOnAnEmptyBoard) {
  setRule(Rule::Freestyle);
  setEmptyBoard(15);
  EXPECT_EQ(fallbackMove(), 7 * 15 + 7);
  setEmptyBoard(20);
  EXPECT_EQ(fallbackMove(), 10 * 20 + 10);
}

TEST(Fallback, OwnFiveBeatsEveryDefence) {
  setRule(Rule::Freestyle);
  std::vector<std::string> rows(15, std::string(15, '.'));
  rows[2] = ".oxxxx.........";                     // Black completes five only on (2, 6)
  for (int a = 5; a <= 8; ++a) rows[a][10] = 'o';  // White: an open four
  rows[12] = "...oooo........";                    // and another
  rows[14] = "oooo...........";                    // and a four on the edge
  setPosition(rows, kBlack);
  EXPECT_EQ(fallbackMove(), 6 * 15 + 2);
}

TEST(Fallback, TiesAreBrokenByTheThinkThreadsFirstDraw) {
  setRule(Rule::Freestyle);
  auto rows = deadFiller();
  rows[0][0] = rows[6][1] = rows[3][5] = '.';
  setPosition(rows, kBlack);
  ASSERT_EQ(bestCells(kBlack), (std::vector<int>{0, 13, 38}));
  EXPECT_EQ(fallbackMove(), 38);  // 41 mod 3 = 2

  rows = deadFiller();
  rows[0][0] = rows[6][1] = '.';
  setPosition(rows, kWhite);
  ASSERT_EQ(bestCells(kWhite), (std::vector<int>{0, 13}));
  EXPECT_EQ(fallbackMove(), 13);  // 41 mod 2 = 1
}

TEST(Fallback, ForbiddenCellsScoreBelowZeroAndAreNotChosenOverAZero) {
  setRule(Rule::Renju);
  // Black on (0, 2) would make six in row 0; (4, 4) is dead for both.
  auto rows = deadFiller();
  rows[0] = "xx.xxxo";
  rows[4][4] = '.';
  setPosition(rows, kBlack);
  ASSERT_LT(scoreCell(0, 2, kBlack), 0);
  ASSERT_EQ(scoreCell(4, 4, kBlack), 0);
  EXPECT_EQ(fallbackMove(), 4 * 7 + 4);

  // White may play the same cell.
  setPosition(rows, kWhite);
  EXPECT_GE(scoreCell(0, 2, kWhite), 0);

  // Without Renju the six is no restriction: a five for free-style rules.
  setRule(Rule::Freestyle);
  setPosition(rows, kBlack);
  EXPECT_EQ(fallbackMove(), 2 * 7 + 0);
}

TEST(Fallback, OnlyNegativeCellsLeftGiveTheBestOfThemAndAFullBoardNothing) {
  setRule(Rule::Renju);
  auto rows = deadFiller();
  rows[0] = "xx.xxxo";
  setPosition(rows, kBlack);
  ASSERT_LT(scoreCell(0, 2, kBlack), 0);
  EXPECT_EQ(fallbackMove(), 2 * 7 + 0);

  setPosition(deadFiller(), kBlack);
  EXPECT_EQ(fallbackMove(), -1);
  setRule(Rule::Freestyle);
}

TEST(Fallback, ScoreWeighsOwnAndOpponentLines) {
  setRule(Rule::Freestyle);
  std::vector<std::string> rows(15, std::string(15, '.'));
  rows[7] = ".....xxx.......";  // (7, 8) makes a straight four for Black
  setPosition(rows, kBlack);
  // Black: the straight four (16 + 6000) and three empty lines, OneOpen at 1
  // each; White has nothing there to block.
  EXPECT_EQ(scoreCell(7, 8, kBlack), 5 * (16 + 6000 + 3));
  // White: three OneOpen lines (its row is cut off by Black), blocking
  // Black's straight four (11 + 3000).
  EXPECT_EQ(scoreCell(7, 8, kWhite), 5 * (3 + 11 + 3000));
}

}  // namespace
}  // namespace quenvik
