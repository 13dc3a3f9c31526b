// Four detection on the threat board.
#include <gtest/gtest.h>

#include "tests/unit/ThreatTestSupport.h"

namespace quenvik {
namespace {

using test::cellOf;
using test::setUpThreatBoard;

// A padded line from a text row: 'x' Black, 'o' White, '#' off the board.
void paddedLineOf(const char* text, int32_t* line) {
  const int n = static_cast<int>(std::strlen(text));
  engine.boardSize = n;
  line[0] = line[1] = line[n + 2] = line[n + 3] = kOffBoard;
  for (int q = 0; q < n; ++q) {
    line[q + 2] = text[q] == 'x' ? kBlack : text[q] == 'o' ? kWhite : text[q] == '#' ? kOffBoard : kEmpty;
  }
}

TEST(ThreatFours, NothingToCompleteGivesZero) {
  setUpThreatBoard(15, "freestyle", "7,7 7,8 7,9 3,3", "8,8");
  EXPECT_EQ(scanFours(kBlack), 0);
  EXPECT_EQ(scanFours(kWhite), 0);
  setUpThreatBoard(15, "freestyle", "7,7", "");
  EXPECT_EQ(scanFours(kWhite), 0);  // no stones at all
}

TEST(ThreatFours, OneFourSeenFromEachOfItsStonesCountsOnce) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "7,2");
  EXPECT_EQ(scanFours(kBlack), cellOf(7, 7) | kOneFourPoint);
  // A split four reports its gap.
  setUpThreatBoard(15, "freestyle", "3,3 4,3 6,3 7,3", "");
  EXPECT_EQ(scanFours(kBlack), cellOf(5, 3) | kOneFourPoint);
}

TEST(ThreatFours, TwoFoursWithDifferentPointsReportTheSecondInScanOrder) {
  // Row 10's four is met after row 2's; the columns do not matter.
  setUpThreatBoard(15, "freestyle", "2,1 2,2 2,3 2,4 10,3 10,4 10,5 10,6", "2,0 10,2");
  EXPECT_EQ(scanFours(kBlack), cellOf(10, 7) | kOneFourPoint | kManyFourPoints);
  EXPECT_EQ(scanFours(kBlack) & kFourCellMask, cellOf(10, 7));
}

TEST(ThreatFours, AFourOpenAtBothEndsIsTwoPointsOnItsOwnLine) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "");
  EXPECT_EQ(foursAt(7, 3), cellOf(7, 7) | kManyFourPoints);
  EXPECT_GE(scanFours(kBlack), kManyFourPoints);
  EXPECT_TRUE(openFourAt(7, 5));
}

TEST(ThreatFours, AStoneWithFoursOnTwoLinesReportsTheEarlierLine) {
  // 7,6 closes a row four (point 7,7) and a column four (point 6,6).
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6 8,6 9,6 10,6", "7,2 11,6");
  EXPECT_EQ(foursAt(7, 6), cellOf(7, 7) | kManyFourPoints);
  EXPECT_EQ(foursAt(9, 6), cellOf(6, 6) | kOneFourPoint);
  // Diagonal (row + column constant) before anti-diagonal, and both map
  // their line positions back to the right cells.
  setUpThreatBoard(15, "freestyle", "7,5 8,4 9,3 10,2 8,6 9,7 10,8", "11,1 11,9");
  EXPECT_EQ(foursAt(7, 5), cellOf(6, 6) | kManyFourPoints);
  EXPECT_EQ(foursAt(9, 7), cellOf(6, 4) | kOneFourPoint);
  EXPECT_EQ(foursAt(9, 3), cellOf(6, 6) | kOneFourPoint);
}

TEST(ThreatFours, TheBoardEdgeIsNeverAnEmptyEnd) {
  setUpThreatBoard(15, "freestyle", "7,0 7,1 7,2 7,3", "");
  EXPECT_EQ(scanFours(kBlack), cellOf(7, 4) | kOneFourPoint);
  EXPECT_FALSE(openFourAt(7, 0));
  setUpThreatBoard(15, "freestyle", "7,11 7,12 7,13 7,14", "");
  EXPECT_EQ(scanFours(kBlack), cellOf(7, 10) | kOneFourPoint);
  // The short diagonal 4,0 .. 0,4 ends in off-board slots.
  setUpThreatBoard(15, "freestyle", "3,1 2,2 1,3 0,4", "");
  EXPECT_EQ(foursAt(2, 2), cellOf(4, 0) | kOneFourPoint);
  EXPECT_FALSE(openFourAt(2, 2));
}

TEST(ThreatStraightFour, NeedsBothNeighboursEmpty) {
  int32_t line[kPaddedLineLength];
  paddedLineOf("...xxxx........", line);
  for (int p = 3; p <= 6; ++p) EXPECT_TRUE(isStraightFour(line, p)) << p;
  EXPECT_FALSE(isStraightFour(line, 2));  // empty cell
  paddedLineOf("..oxxxx........", line);
  EXPECT_FALSE(isStraightFour(line, 4));
  paddedLineOf("...xxx.x.......", line);  // a four with a gap is not straight
  EXPECT_FALSE(isStraightFour(line, 4));
  paddedLineOf("...ooooo.......", line);  // five in a row has no empty end
  EXPECT_FALSE(isStraightFour(line, 5));
}

TEST(ThreatStraightFour, WindowsReachBothEndsOfTheLine) {
  int32_t line[kPaddedLineLength];
  paddedLineOf(".xxxx..........", line);  // first window on the line
  EXPECT_TRUE(isStraightFour(line, 1));
  paddedLineOf("..........xxxx.", line);  // last window on the line
  EXPECT_TRUE(isStraightFour(line, 13));
  paddedLineOf("xxxx...........", line);
  EXPECT_FALSE(isStraightFour(line, 0));
  paddedLineOf("...........xxxx", line);
  EXPECT_FALSE(isStraightFour(line, 14));
  paddedLineOf("#.xxxx.#", line);  // off-board slots inside a short diagonal
  EXPECT_TRUE(isStraightFour(line, 3));
  paddedLineOf("#xxxx.##", line);
  EXPECT_FALSE(isStraightFour(line, 2));
}

TEST(ThreatStraightFour, OwnStoneBeyondAnEndFollowsTheRule) {
  int32_t line[kPaddedLineLength];
  const char* black = "...xxxx.x......";
  const char* white = "...oooo.o......";
  test::setThreatRule("freestyle");
  paddedLineOf(black, line);
  EXPECT_TRUE(isStraightFour(line, 4));
  test::setThreatRule("exact");
  EXPECT_FALSE(isStraightFour(line, 4));
  paddedLineOf(white, line);
  EXPECT_FALSE(isStraightFour(line, 4));
  test::setThreatRule("renju");
  paddedLineOf(black, line);
  EXPECT_FALSE(isStraightFour(line, 4));  // Black must make exactly five
  paddedLineOf(white, line);
  EXPECT_TRUE(isStraightFour(line, 4));  // White may make six
  // An own stone two beyond the end does not matter.
  paddedLineOf("...xxxx..x.....", line);
  EXPECT_TRUE(isStraightFour(line, 4));
  test::setThreatRule("freestyle");
}

TEST(ThreatStraightFour, OpenFourAtLooksAtAllFourLines) {
  setUpThreatBoard(15, "freestyle", "4,10 5,9 6,8 7,7", "");  // row + column = 14
  EXPECT_TRUE(openFourAt(6, 8));
  setUpThreatBoard(15, "freestyle", "4,4 5,5 6,6 7,7", "3,3");
  EXPECT_FALSE(openFourAt(5, 5));
  setUpThreatBoard(15, "freestyle", "4,4 5,5 6,6 7,7", "");
  EXPECT_TRUE(openFourAt(5, 5));
  setUpThreatBoard(15, "freestyle", "2,9 3,9 4,9 5,9", "");
  EXPECT_TRUE(openFourAt(2, 9));
}

TEST(ThreatFours, OnlyCellsWithThreeOwnStonesWithinFourCanMakeAFour) {
  // 7,7 completes 7,3 _ 7,5 7,6 7,7 into a four; with the far stone on 7,2
  // nothing through 7,7 can be a four.
  setUpThreatBoard(15, "freestyle", "7,3 7,5 7,6", "");
  EXPECT_TRUE(couldMakeFour(7, 7, kBlack));
  EXPECT_FALSE(couldMakeFour(7, 7, kWhite));
  setUpThreatBoard(15, "freestyle", "7,2 7,5 7,6 3,3 11,11", "");
  EXPECT_FALSE(couldMakeFour(7, 7, kBlack));
  // The anti-diagonal counts as well.
  setUpThreatBoard(15, "freestyle", "3,3 4,4 6,6", "");
  EXPECT_TRUE(couldMakeFour(7, 7, kBlack));
}

TEST(ThreatBoardCells, PlacingAndTakingBackWritesAllFourSlots) {
  setUpThreatBoard(15, "freestyle", "7,7", "");
  const LineViews before = engine.threatBoard;
  setThreatCell(3, 11, kWhite);
  EXPECT_EQ(threatCell(3, 11), kWhite);
  int changed = 0;
  for (int i = 0; i < kLineViewsSize; ++i) changed += before.slots[i] != engine.threatBoard.slots[i];
  EXPECT_EQ(changed, 4);
  setThreatCell(3, 11, kEmpty);
  EXPECT_EQ(std::memcmp(before.slots, engine.threatBoard.slots, sizeof before.slots), 0);
}

}  // namespace
}  // namespace quenvik
