#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EngineState.h"
#include "rules/LineThreats.h"

namespace quenvik {
namespace {

void setRule(Rule rule) { engine.rule = rule; }

// A padded line from a picture of its cells: 'x' Black, 'o' White, '.' empty,
// '#' a position without a board cell. The board size is the picture's length.
struct Line {
  int32_t cells[kPaddedLineLength];

  explicit Line(const std::string& picture) {
    engine.boardSize = static_cast<int32_t>(picture.size());
    for (int32_t& c : cells) c = kOffBoard;
    for (std::size_t q = 0; q < picture.size(); ++q) {
      const char c = picture[q];
      cells[q + 2] = c == 'x' ? kBlack : c == 'o' ? kWhite : c == '.' ? kEmpty : kOffBoard;
    }
  }
};

// The cells a result word names, in order.
std::vector<int> fourCells(int r) {
  if (r == 0) return {};
  if (r < 0x10000) return {r & 255};
  return {r & 255, (r >> 8) & 255};
}

std::vector<int> defenceCells(int r) {
  if (r == 0) return {};
  if (r > 0xFFFFFF) return {r & 255, (r >> 8) & 255, (r >> 16) & 255};
  return {r & 255, (r >> 8) & 255};
}

std::vector<int> four(Rule rule, const std::string& picture, int p) {
  setRule(rule);
  Line line(picture);
  const int r = findFourPoints(line.cells, p);
  EXPECT_EQ(r & ~0x1FFFF, 0) << "stray bits in " << std::hex << r;
  return fourCells(r);
}

std::vector<int> three(Rule rule, const std::string& picture, int p) {
  setRule(rule);
  Line line(picture);
  const int r = findThreeDefence(line.cells, p);
  EXPECT_TRUE(r == 0 || (r >= 0x10000 && r < 0x20000) || (r >= 0x1000000 && r < 0x2000000)) << std::hex << r;
  return defenceCells(r);
}

using Cells = std::vector<int>;

TEST(FourPoints, NothingOnAnEmptyOrMarkerPosition) {
  EXPECT_EQ(four(Rule::Freestyle, ".xxxx....", 0), Cells{});
  EXPECT_EQ(four(Rule::Freestyle, "#.xxxx...", 0), Cells{});
  EXPECT_EQ(four(Rule::Freestyle, "..xxx....", 2), Cells{});
  EXPECT_EQ(four(Rule::Freestyle, "..xx.x...", 2), Cells{});
}

TEST(FourPoints, StraightFourGivesBothEnds) {
  EXPECT_EQ(four(Rule::Freestyle, "..xxxx...", 2), (Cells{6, 1}));
  EXPECT_EQ(four(Rule::Freestyle, "..xxxx...", 5), (Cells{6, 1}));
  EXPECT_EQ(four(Rule::ExactFive, "..xxxx...", 3), (Cells{1, 6}));
  EXPECT_EQ(four(Rule::Freestyle, "..oooo...", 4), (Cells{6, 1}));
}

TEST(FourPoints, EdgeOfBoardNeverCountsAsEmpty) {
  EXPECT_EQ(four(Rule::Freestyle, "xxxx.....", 0), Cells{4});
  EXPECT_EQ(four(Rule::Freestyle, ".....xxxx", 8), Cells{4});
  EXPECT_EQ(four(Rule::ExactFive, ".....xxxx", 6), Cells{4});
  // A short diagonal: positions without a board cell block like the edge.
  EXPECT_EQ(four(Rule::Freestyle, "##.xxxx##", 3), Cells{2});
  EXPECT_EQ(four(Rule::Freestyle, "#xxxx.###", 2), Cells{5});
}

TEST(FourPoints, OpponentStoneClosesAnEnd) {
  EXPECT_EQ(four(Rule::Freestyle, "oxxxx.o..", 1), Cells{5});
  EXPECT_EQ(four(Rule::Freestyle, "..xxxxo..", 3), Cells{1});
  EXPECT_EQ(four(Rule::Freestyle, "oxxxxo...", 2), Cells{});
}

TEST(FourPoints, BrokenFoursGiveTheGap) {
  EXPECT_EQ(four(Rule::Freestyle, ".x.xxx...", 1), Cells{2});
  EXPECT_EQ(four(Rule::Freestyle, ".xx.xx...", 5), Cells{3});
  EXPECT_EQ(four(Rule::Freestyle, ".xxx.x...", 2), Cells{4});
}

TEST(FourPoints, DoubleFourOnOneLineNeedsAMiddleStone) {
  // X_XXX_X: the three middle stones belong to both fours, the end stones to one.
  for (int p : {2, 3, 4}) EXPECT_EQ(four(Rule::Freestyle, "x.xxx.x", p), (Cells{5, 1})) << p;
  EXPECT_EQ(four(Rule::Freestyle, "x.xxx.x", 0), Cells{1});
  EXPECT_EQ(four(Rule::Freestyle, "x.xxx.x", 6), Cells{5});
  // XX_XX_XX.
  for (int p : {3, 4}) EXPECT_EQ(four(Rule::Freestyle, "xx.xx.xx", p), (Cells{5, 2})) << p;
  EXPECT_EQ(four(Rule::Freestyle, "xx.xx.xx", 1), Cells{2});
  // XXX_X_XXX.
  EXPECT_EQ(four(Rule::Freestyle, "xxx.x.xxx", 4), (Cells{5, 3}));
  EXPECT_EQ(four(Rule::Freestyle, "xxx.x.xxx", 2), Cells{3});
  // Without room for the second four's last stone the first window answers alone.
  EXPECT_EQ(four(Rule::Freestyle, "x.xxx.", 3), Cells{1});
  EXPECT_EQ(four(Rule::ExactFive, "x.xxx.x", 3), (Cells{5, 1}));
  EXPECT_EQ(four(Rule::ExactFive, "x.xxx.xx", 3), Cells{1});
  EXPECT_EQ(four(Rule::ExactFive, "xx.xx.xxx", 3), Cells{2});
  EXPECT_EQ(four(Rule::ExactFive, "xxx.x.xxxx", 4), Cells{3});
}

TEST(FourPoints, FreeModeLetsALongerLineCount) {
  // Filling the gap makes six: a five in free mode, the first window answers.
  EXPECT_EQ(four(Rule::Freestyle, "x.xxxx..", 2), Cells{1});
  EXPECT_EQ(four(Rule::Freestyle, "xxxx.x...", 0), Cells{4});
}

TEST(FourPoints, ExactModeSkipsWindowsThatWouldMakeSix) {
  // Every window through p is next to another x: no five of exactly five.
  EXPECT_EQ(four(Rule::ExactFive, "xxxx.x...", 1), Cells{});
  // The straight four's end beyond which stands an x is not offered.
  EXPECT_EQ(four(Rule::ExactFive, "x.xxxx..", 2), Cells{6});
  EXPECT_EQ(four(Rule::ExactFive, "..xxxx.x", 2), Cells{1});
  EXPECT_EQ(four(Rule::ExactFive, "x.xxxx.x", 3), Cells{});
}

TEST(FourPoints, RenjuIsExactForBlackOnly) {
  EXPECT_EQ(four(Rule::Renju, "x.xxxx..", 2), Cells{6});
  EXPECT_EQ(four(Rule::Renju, "o.oooo..", 2), Cells{1});
  EXPECT_EQ(four(Rule::Renju, "oooo.o...", 1), Cells{4});
  EXPECT_EQ(four(Rule::Renju, "xxxx.x...", 1), Cells{});
}

TEST(ThreeDefence, NothingWithoutAStoneOrAnOpenThree) {
  EXPECT_EQ(three(Rule::Freestyle, "..xxx..", 1), Cells{});
  EXPECT_EQ(three(Rule::Freestyle, "..xx...", 2), Cells{});
  EXPECT_EQ(three(Rule::Freestyle, ".xxx.o", 1), Cells{});   // dead at both sides
  EXPECT_EQ(three(Rule::Freestyle, "o.xxx.o", 2), Cells{});  // no room for a straight four
  EXPECT_EQ(three(Rule::Freestyle, "xxx....", 0), Cells{});  // edge of board
  EXPECT_EQ(three(Rule::Freestyle, "..xxx.x", 2), Cells{});  // a four, not a three
}

TEST(ThreeDefence, OpenThreeWithRoomOnBothSidesGivesItsEnds) {
  for (int p : {2, 3, 4}) EXPECT_EQ(three(Rule::Freestyle, "..xxx..", p), (Cells{5, 1})) << p;
  EXPECT_EQ(three(Rule::ExactFive, "..xxx..", 3), (Cells{5, 1}));
  EXPECT_EQ(three(Rule::Freestyle, "...ooo...", 4), (Cells{6, 2}));
}

TEST(ThreeDefence, OneOuterSideBlockedGivesThreeCells) {
  EXPECT_EQ(three(Rule::Freestyle, "o.xxx..", 2), (Cells{6, 1, 5}));
  EXPECT_EQ(three(Rule::Freestyle, ".xxx...", 1), (Cells{5, 0, 4}));
  EXPECT_EQ(three(Rule::Freestyle, "..xxx.o", 2), (Cells{5, 0, 1}));
  EXPECT_EQ(three(Rule::Freestyle, "..xxx.#", 4), (Cells{5, 0, 1}));
}

TEST(ThreeDefence, SplitThreesGiveGapAndEnds) {
  EXPECT_EQ(three(Rule::Freestyle, ".xx.x.", 1), (Cells{5, 0, 3}));
  EXPECT_EQ(three(Rule::Freestyle, ".xx.x.", 4), (Cells{5, 0, 3}));
  EXPECT_EQ(three(Rule::Freestyle, ".x.xx.", 3), (Cells{5, 0, 2}));
  EXPECT_EQ(three(Rule::Freestyle, "ox.xx.", 3), Cells{});
  EXPECT_EQ(three(Rule::Freestyle, ".x.xxo", 1), Cells{});
}

TEST(ThreeDefence, ExactModeRefusesThreesThatWouldGrowToSix) {
  EXPECT_EQ(three(Rule::Freestyle, ".xx.x.x", 1), (Cells{5, 0, 3}));
  EXPECT_EQ(three(Rule::ExactFive, ".xx.x.x", 1), Cells{});
  EXPECT_EQ(three(Rule::ExactFive, "x.x.xx.", 4), Cells{});
  // An own stone three beyond the low end: only the high side makes a straight four.
  EXPECT_EQ(three(Rule::Freestyle, "x..xxx...", 3), (Cells{6, 2}));
  EXPECT_EQ(three(Rule::ExactFive, "x..xxx...", 3), (Cells{7, 2, 6}));
  // ... and beyond the high side as well: nothing is left.
  EXPECT_EQ(three(Rule::ExactFive, "x..xxx..x", 3), Cells{});
  // An own stone two beyond the high end.
  EXPECT_EQ(three(Rule::ExactFive, "..xxx..x", 2), (Cells{5, 0, 1}));
  EXPECT_EQ(three(Rule::Freestyle, "..xxx..x", 2), (Cells{5, 1}));
  EXPECT_EQ(three(Rule::Renju, "..xxx..x", 2), (Cells{5, 0, 1}));
  EXPECT_EQ(three(Rule::Renju, "..ooo..o", 2), (Cells{5, 1}));
}

}  // namespace
}  // namespace quenvik
