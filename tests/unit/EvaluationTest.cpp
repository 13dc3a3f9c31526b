#include <gtest/gtest.h>

#include <cstring>

#include "Value/EvalTables.h"
#include "Value/ValueW.h"
#include "core/EngineState.h"
#include "rules/Patterns.h"
#include "tests/unit/SearchPositionText.h"

namespace quenvik {
namespace {

// These tests give the evaluation a hand-made pattern state, so they check its
// arithmetic whatever the pattern code computes. The snapshot equals the
// board, so an update finds nothing to recompute.
class HandMadeEvaluation : public ::testing::Test {
 protected:
  static constexpr int kN = 15;
  static constexpr int kQuietRank = 6;  // worth 0 in both tables

  void SetUp() override {
    resetEngine();
    engine.boardSize = kN;
    setAllRanks(kQuietRank);
    setAllCodes(patternCode(OneOpen, 1));
  }

  static void place(int a, int b, int32_t colour) {
    engine.board[a][b] = colour;
    engine.patterns.cellStateMap[a][b] = colour;
    engine.stoneCount += 1;
  }
  static void setAllRanks(int rank) {
    for (auto& colour : engine.patterns.cellRank)
      for (auto& row : colour)
        for (int32_t& r : row) r = rank;
  }
  static void setAllCodes(int32_t code) {
    for (auto& colour : engine.patterns.patternCodes)
      for (auto& row : colour)
        for (auto& cell : row)
          for (int32_t& c : cell) c = code;
  }
  static void setRank(int32_t colour, int a, int b, int rank) {
    engine.patterns.cellRank[colourIndex(colour)][a][b] = rank;
  }
  static void kill(int32_t colour, int a, int b, int direction) {
    engine.patterns.patternCodes[colourIndex(colour)][a][b][direction] = patternCode(Dead, 0);
  }

  // The evaluation must hand the board back as it found it.
  static double evaluateChecked(int32_t justMoved) {
    int32_t board[kGridWidth][kGridWidth];
    std::memcpy(board, engine.board, sizeof board);
    const int32_t stones = engine.stoneCount;
    const double value = evaluatePosition(justMoved);
    EXPECT_EQ(std::memcmp(board, engine.board, sizeof board), 0);
    EXPECT_EQ(engine.stoneCount, stones);
    return value;
  }
};

TEST(EvaluationTables, EntriesMatchTheWeights) {
  EXPECT_EQ(evalOwn[0], -0.2);
  EXPECT_EQ(evalOwn[6], 0.0);
  EXPECT_EQ(evalOwn[9], -0.1);
  EXPECT_EQ(evalOwn[15], 1.2);
  EXPECT_EQ(evalOwn[21], 1.4);
  EXPECT_EQ(evalOwn[28], 1.8);
  EXPECT_EQ(evalOwn[36], 3.2);
  EXPECT_EQ(evalOwn[39], 5.1);
  EXPECT_EQ(evalOwn[44], 7.3);
  EXPECT_EQ(evalOwn[45], 14.6);
  EXPECT_EQ(evalOwn[55], 16.3);
  EXPECT_EQ(evalOwn[63], 8.3);
  EXPECT_EQ(evalOwn[64], 21.8);
  EXPECT_EQ(evalOwn[66], 31.6);
  EXPECT_EQ(evalOwn[70], 6.2);
  EXPECT_EQ(evalOwn[73], 12.3);
  EXPECT_EQ(evalOwn[78], 61.1);
  EXPECT_EQ(evalOwn[79], 33554432.0);
  EXPECT_EQ(evalOwn[91], 33554432.0);

  EXPECT_EQ(evalThreat[45], 37.8);
  EXPECT_EQ(evalThreat[54], 37.8);
  EXPECT_EQ(evalThreat[55], 39.5);
  EXPECT_EQ(evalThreat[64], 65575.5);
  EXPECT_EQ(evalThreat[65], 65575.5);
  EXPECT_EQ(evalThreat[66], 1048576.0);
  EXPECT_EQ(evalThreat[67], 1048576.0);
  EXPECT_EQ(evalThreat[78], 1048576.0);
  EXPECT_EQ(evalThreat[79], 268435456.0);
  EXPECT_EQ(evalThreat[91], 268435456.0);

  // The two tables agree on ranks 0..44, 46..53 and 56..63 and nowhere else.
  for (int rank = 0; rank <= kMaxRank; ++rank) {
    const bool shared = rank <= 44 || (rank >= 46 && rank <= 53) || (rank >= 56 && rank <= 63);
    EXPECT_EQ(evalOwn[rank] == evalThreat[rank], shared) << rank;
  }
  // Ranks 46..53 repeat 37..44, and 56..63 are one more.
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(evalOwn[46 + k], evalOwn[37 + k]) << k;
    EXPECT_EQ(evalOwn[56 + k], evalOwn[37 + k] + 1.0) << k;
  }
}

TEST_F(HandMadeEvaluation, QuietValueIsCellSumsLessTempoPlusShape) {
  place(7, 7, kBlack);
  // Black has just moved; White is to move.
  setRank(kBlack, 3, 3, 45);  // 14.6 for the side that has just moved
  setRank(kWhite, 3, 3, 45);  // 37.8 for the side to move
  setRank(kWhite, 9, 9, 36);  // 3.2 for the side to move
  // The lone stone has eight live neighbours: shape -5.
  EXPECT_DOUBLE_EQ(evaluateChecked(kBlack), (14.6 - (37.8 + 3.2)) - 20.0 + 0.8 * -5.0);
  // From the other side the cell values swap roles and the shape changes sign.
  EXPECT_DOUBLE_EQ(evaluateChecked(kWhite), ((14.6 + 3.2) - 37.8) - 20.0 + 0.8 * 5.0);
}

TEST_F(HandMadeEvaluation, StoneShapeCountsDeadNeighboursByTheJoiningLine) {
  place(7, 7, kBlack);
  const double base = 0.0 - 20.0;
  // Neighbours as (da, db, direction of the line joining them to the stone).
  const int neighbours[8][3] = {{0, -1, 0}, {0, 1, 0},  {-1, 0, 1},  {1, 0, 1},
                                {-1, 1, 2}, {1, -1, 2}, {-1, -1, 3}, {1, 1, 3}};
  // Five dead neighbours make v = 6: f = -2. Killing them in any other
  // direction leaves them alive: f = -5.
  for (int first : {0, 3}) {
    setAllCodes(patternCode(OneOpen, 1));
    for (int k = first; k < first + 5; ++k) kill(kBlack, 7 + neighbours[k][0], 7 + neighbours[k][1], neighbours[k][2]);
    EXPECT_DOUBLE_EQ(evaluateChecked(kBlack), base + 0.8 * -2.0) << first;
    setAllCodes(patternCode(OneOpen, 1));
    for (int k = first; k < first + 5; ++k)
      kill(kBlack, 7 + neighbours[k][0], 7 + neighbours[k][1], (neighbours[k][2] + 1) % 4);
    EXPECT_DOUBLE_EQ(evaluateChecked(kBlack), base + 0.8 * -5.0) << first;
  }
  // White's dead cells do not matter to a Black stone.
  setAllCodes(patternCode(OneOpen, 1));
  for (int d = 0; d < kDirections; ++d) kill(kWhite, 7, 8, d);
  EXPECT_DOUBLE_EQ(evaluateChecked(kBlack), base + 0.8 * -5.0);
}

TEST_F(HandMadeEvaluation, StoneShapeByNumberOfBlockedSides) {
  // Corner stone: five neighbours off the board, three live ones: v = 6.
  place(0, 0, kWhite);
  EXPECT_DOUBLE_EQ(evaluateChecked(kWhite), -20.0 + 0.8 * -2.0);
  // A Black stone next to it: the corner stone has v = 7 (f = -3); the new
  // stone has one occupied neighbour (v = 2, f = 0).
  place(1, 1, kBlack);
  EXPECT_DOUBLE_EQ(evaluateChecked(kWhite), -20.0 + 0.8 * (-3.0 - 0.0));
  // A Black stone hemmed in on all eight sides: v = 9, f = -5, the same as a
  // free stone. Of the White ring, a corner stone such as (4, 4) has three
  // occupied neighbours (v = 4, f = 0), a side stone such as (4, 5) five
  // (v = 6, f = -2).
  std::memset(engine.board, 0, sizeof engine.board);
  engine.stoneCount = 0;
  place(5, 5, kBlack);
  for (int da = -1; da <= 1; ++da)
    for (int db = -1; db <= 1; ++db)
      if (da != 0 || db != 0) place(5 + da, 5 + db, kWhite);
  EXPECT_DOUBLE_EQ(evaluateChecked(kWhite), -20.0 + 0.8 * (4 * 0.0 + 4 * -2.0 - -5.0));
}

TEST_F(HandMadeEvaluation, FivePointOfTheSideToMoveIsLost) {
  place(7, 7, kBlack);
  setRank(kWhite, 2, 2, 79);
  EXPECT_EQ(evaluateChecked(kBlack), -15000.0);
  // A straight four of the side to move, or eight four-three cells, too.
  setRank(kWhite, 2, 2, 67);
  EXPECT_EQ(evaluateChecked(kBlack), -15000.0);
  setRank(kWhite, 2, 2, kQuietRank);
  for (int b = 0; b < 8; ++b) setRank(kWhite, 0, b, 64);
  EXPECT_EQ(evaluateChecked(kBlack), -15000.0);
}

TEST_F(HandMadeEvaluation, RenjuBlackCannotBlockOnAForbiddenCell) {
  engine.rule = Rule::Renju;
  place(7, 7, kBlack);
  place(8, 8, kWhite);
  // White has just moved and has a five point that is forbidden to Black.
  setRank(kWhite, 3, 4, 80);
  setRank(kBlack, 3, 4, 0);
  EXPECT_EQ(evaluateChecked(kWhite), 15000.0);
}

// Black to move with a four-three at (7, 6): the four along row 7 (stones
// 3..5, closed by White at 2) and a three down column 6.
class FourThreeEvaluation : public HandMadeEvaluation {
 protected:
  void SetUp() override {
    HandMadeEvaluation::SetUp();
    place(7, 2, kWhite);
    place(7, 3, kBlack);
    place(0, 14, kWhite);
    place(7, 4, kBlack);
    place(14, 0, kWhite);
    place(7, 5, kBlack);
    place(14, 14, kWhite);
    place(8, 6, kBlack);
    place(0, 0, kWhite);
    place(9, 6, kBlack);
  }
  static double quietValue() {
    setRank(kBlack, 7, 6, kQuietRank);
    const double value = evaluateChecked(kWhite);
    setRank(kBlack, 7, 6, 64);
    return value;
  }
};

TEST_F(FourThreeEvaluation, BlockWithoutAFourOfTheDefenderLoses) {
  ASSERT_EQ(sideToMove(), kBlack);
  const double quiet = quietValue();
  EXPECT_GT(quiet, -100.0);
  setRank(kBlack, 7, 6, 64);
  EXPECT_EQ(evaluateChecked(kWhite), -15000.0);
}

TEST_F(FourThreeEvaluation, BlockThatMakesAFourKeepsThePositionAlive) {
  // White stones below the block point (7, 7) make the forced block a four.
  place(8, 7, kWhite);
  place(12, 12, kBlack);
  place(9, 7, kWhite);
  place(12, 10, kBlack);
  place(10, 7, kWhite);
  place(13, 3, kBlack);
  ASSERT_EQ(sideToMove(), kBlack);
  const double quiet = quietValue();
  setRank(kBlack, 7, 6, 64);
  // The cell's 65536 threat units come back out: 39.5 remains.
  EXPECT_NEAR(evaluateChecked(kWhite), quiet - 39.5, 1e-9);
}

TEST_F(FourThreeEvaluation, CellWithoutACompletionPointIsPassedOver) {
  // The rank says four-three but no line through (2, 2) holds a four.
  const double quiet = quietValue();
  setRank(kBlack, 7, 6, kQuietRank);
  setRank(kBlack, 2, 2, 65);
  EXPECT_NEAR(evaluateChecked(kWhite), quiet - 39.5, 1e-9);
}

}  // namespace
}  // namespace quenvik

namespace quenvik {
namespace {

using test::setUpPositionText;

// The same evaluation, on pattern states computed from real boards.
TEST(EvaluationOnPositions, TwoFivePointsOfTheSideThatHasJustMovedWin) {
  setUpPositionText({"x.............x",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...oooo........",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "x.............x"});
  ASSERT_EQ(sideToMove(), kBlack);
  // Black blocks (7, 2), the first five point rows first; White still has (7, 7).
  EXPECT_EQ(evaluatePosition(kWhite), 15000.0);
}

TEST(EvaluationOnPositions, ForcedBlockContinuesFromTheBlockedPosition) {
  setUpPositionText({"x.............x",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "..xoooo........",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "x..............o"});
  ASSERT_EQ(sideToMove(), kBlack);
  const double value = evaluatePosition(kWhite);
  EXPECT_EQ(engine.board[7][7], kEmpty);
  EXPECT_EQ(engine.stoneCount, 8);
  // The value is minus the value of the position with Black on (7, 7), for Black.
  engine.board[7][7] = kBlack;
  engine.stoneCount += 1;
  updatePatterns();
  const double blocked = evaluatePosition(kBlack);
  EXPECT_EQ(value, -blocked);
  EXPECT_GT(value, -1000.0);
  EXPECT_LT(value, 1000.0);
}

// White's five point (7, 7) would give Black six in a row down column 7.
const std::vector<std::string> kBlockMakesSix = {"o.............o",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 ".......x.......",  //
                                                 ".......x.......",  //
                                                 ".......x.......",  //
                                                 "..xoooo........",  //
                                                 ".......x.......",  //
                                                 ".......x.......",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "..............."};

TEST(EvaluationOnPositions, RenjuForbiddenBlockLosesForBlack) {
  setUpPositionText(kBlockMakesSix, Rule::Renju);
  ASSERT_EQ(sideToMove(), kBlack);
  ASSERT_EQ(engine.patterns.cellRank[0][7][7], 0);
  EXPECT_EQ(evaluatePosition(kWhite), 15000.0);
  // Without Renju Black blocks there and the game goes on.
  setUpPositionText(kBlockMakesSix, Rule::Freestyle);
  EXPECT_LT(evaluatePosition(kWhite), 15000.0);
}

// Black to move has a four-three at (7, 6): the four 3..6 along row 7, closed
// by White at (7, 2), and the three down column 6.
TEST(EvaluationOnPositions, FourThreeWinsUnlessTheBlockMakesAFour) {
  setUpPositionText({"o.............o",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "..oxxx.........",  //
                     "......x........",  //
                     "......x........",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "o.............o"});
  ASSERT_EQ(sideToMove(), kBlack);
  ASSERT_EQ(evalThreat[engine.patterns.cellRank[0][7][6]], 65575.5);
  EXPECT_EQ(evaluatePosition(kWhite), -15000.0);

  // White stones under the block point (7, 7) make the block a four.
  setUpPositionText({"o..............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "..oxxx.........",  //
                     "......xo.......",  //
                     "......xo.......",  //
                     ".......o.......",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "..............."});
  ASSERT_EQ(sideToMove(), kBlack);
  ASSERT_EQ(evalThreat[engine.patterns.cellRank[0][7][6]], 65575.5);
  const double value = evaluatePosition(kWhite);
  EXPECT_GT(value, -1000.0);
  EXPECT_LT(value, 1000.0);
}

}  // namespace
}  // namespace quenvik
