// Renju forbidden moves: the line tests on padded lines, and forbiddenKind
// on whole positions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/EngineState.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Renju.h"
#include "tests/unit/RulesBoardText.h"

namespace quenvik {
namespace {

using test::setBoardText;
using test::setRule;

// A padded line from text ('.', 'x' Black, 'o' White); the line is as long
// as the text and becomes the board size the line tests read.
struct PaddedLine {
  int32_t cells[kPaddedLineLength];
};

PaddedLine lineOf(const std::string& text) {
  const int n = static_cast<int>(text.size());
  engine.boardSize = n;
  PaddedLine line;
  line.cells[0] = line.cells[1] = line.cells[n + 2] = line.cells[n + 3] = kOffBoard;
  for (int q = 0; q < n; ++q) line.cells[q + 2] = text[q] == 'x' ? kBlack : text[q] == 'o' ? kWhite : kEmpty;
  return line;
}

int foursAt(const std::string& text, int p) { return lineFours(lineOf(text).cells, p); }

// forbiddenKind on the current board; also checks the views come back as
// they went in.
int kindAt(int a, int b) {
  LineViews views;
  buildLineViews(views);
  const LineViews before = views;
  const int kind = forbiddenKind(views, a, b);
  EXPECT_EQ(std::memcmp(&before, &views, sizeof views), 0) << "views changed at " << a << "," << b;
  return kind;
}

std::vector<std::string> emptyRows(int n) { return std::vector<std::string>(n, std::string(n, '.')); }

class RenjuTest : public ::testing::Test {
 protected:
  void SetUp() override { setRule(Rule::Renju); }
  void TearDown() override { setRule(Rule::Freestyle); }
};

TEST_F(RenjuTest, FourWithAStoneBeyondItsGap) {
  // x x x x . x: the window x x x x . would make six, so only . x x x x can
  // be a four, and only while the cell before it is empty and not preceded by
  // Black.
  EXPECT_EQ(foursAt("..xxxx.x.......", 3), 1);
  EXPECT_EQ(foursAt(".oxxxx.x.......", 3), 0);
  EXPECT_EQ(foursAt("x.xxxx.x.......", 3), 0);
  EXPECT_EQ(foursAt("xxxx.x.........", 2), 0);  // the board edge before the four
}

TEST_F(RenjuTest, TwoFoursInOneLine) {
  EXPECT_EQ(foursAt("..xxx.x.xxx....", 6), 2);
  EXPECT_EQ(foursAt("..xxx.x.xxxx...", 6), 1);  // the right group would make six
  EXPECT_EQ(foursAt("..xxx.x.xxx....", 4), 1);  // an outer stone is in one four
  EXPECT_EQ(foursAt("..xx.xx.xx.....", 5), 2);
  EXPECT_EQ(foursAt("..xx.xx.xx.....", 6), 2);
  EXPECT_EQ(foursAt("..xx.xx.xx.....", 8), 1);
  EXPECT_EQ(foursAt("..x.xxx.x......", 4), 2);
  EXPECT_EQ(foursAt("..x.xxx.x......", 2), 1);
  EXPECT_EQ(foursAt("..x.xxx.xx.....", 4), 1);
  // Ending on the last cell of a 20-cell line, as further left.
  EXPECT_EQ(foursAt("...........xxx.x.xxx", 15), 2);
  EXPECT_EQ(foursAt(".....xxx.x.xxx......", 9), 2);
  EXPECT_EQ(foursAt("............xx.xx.xx", 16), 2);
  EXPECT_EQ(foursAt(".............x.xxx.x", 16), 2);
}

TEST_F(RenjuTest, FiveIsExactForBlackAndOverlineNeedsSix) {
  EXPECT_EQ(lineFive(lineOf("..xxxxx..").cells, 4), 1);
  EXPECT_EQ(lineFive(lineOf(".xxxxxx..").cells, 4), 0);
  EXPECT_EQ(lineOverline(lineOf(".xxxxxx..").cells, 4), 1);
  EXPECT_EQ(lineOverline(lineOf("..xxxxx..").cells, 4), 0);
  EXPECT_EQ(lineFive(lineOf(".oooooo..").cells, 4), 1);  // White's six is a five
  EXPECT_EQ(lineOverline(lineOf(".oooooo..").cells, 4), 0);
  EXPECT_EQ(lineFive(lineOf("..x.xxx..").cells, 3), 0);  // an empty cell is in no five
}

TEST_F(RenjuTest, SixInARowIsAnOverlineFromEveryStoneAndAtEitherEdge) {
  // Every stone of the six sees it, the first and the last included, wherever
  // the six stands on the line (against either edge, or inside).
  for (int start = 0; start + 6 <= 12; ++start) {
    std::string text(12, '.');
    for (int k = 0; k < 6; ++k) text[start + k] = 'x';
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(lineOverline(lineOf(text).cells, start + k), 1) << text << " at " << start + k;
  }
}

TEST_F(RenjuTest, TheStoneThatMakesSixIsForbiddenAtTheFarEndAsInTheMiddle) {
  for (const char* row : {"xxxxx..........", "xx.xxx.........", "..........xxxxx", "....x.xxxx....."}) {
    auto rows = emptyRows(15);
    rows[7] = row;
    setBoardText(rows);
    rebuildPatterns();
    const std::string text(row);
    int cellsMakingSix = 0;
    for (int b = 0; b < 15; ++b) {
      std::string with = text;
      if (with[b] != '.') continue;
      with[b] = 'x';
      if (with.find("xxxxxx") == std::string::npos) continue;
      ++cellsMakingSix;
      EXPECT_EQ(kindAt(7, b), OverlineKind) << row << " at " << b;
      EXPECT_EQ(engine.patterns.cellRank[0][7][b], 0) << row << " at " << b;  // the pattern state agrees
    }
    EXPECT_GE(cellsMakingSix, 1) << row;
  }
}

TEST_F(RenjuTest, ThreesAndTheirStraightFourCells) {
  // x x x . with room on both sides: both ends, the left one in bits 8..15.
  EXPECT_EQ(lineThree(lineOf("...xxx...").cells, 4), kTwoFourCells | 2 << 8 | 6);
  EXPECT_EQ(lineThree(lineOf("o..xxx...").cells, 4), kTwoFourCells | 2 << 8 | 6);  // White beyond does not matter
  EXPECT_EQ(lineThree(lineOf(".o.xxx...").cells, 4), kOneFourCell | 6);            // no room on the left
  EXPECT_EQ(lineThree(lineOf("x..xxx..x").cells, 4), 0);                           // either end would lead to six
  EXPECT_EQ(lineThree(lineOf("..xx.x...").cells, 2), kOneFourCell | 4);
  EXPECT_EQ(lineThree(lineOf("..x.xx...").cells, 5), kOneFourCell | 3);
  EXPECT_EQ(lineThree(lineOf(".oxx.x...").cells, 2), 0);
  EXPECT_EQ(lineThree(lineOf("xxx......").cells, 1), 0);  // against the edge
}

TEST_F(RenjuTest, AllowedWhenRenjuIsOffOrTheCellHoldsWhite) {
  auto rows = emptyRows(15);
  rows[7] = "...xxx.........";  // (7, 6): a four in its row and one in its column
  rows[8][6] = rows[9][6] = rows[10][6] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 6), DoubleFour);
  setRule(Rule::Freestyle);
  EXPECT_EQ(kindAt(7, 6), Allowed);
  setRule(Rule::Renju);
  engine.board[7][6] = kWhite;
  EXPECT_EQ(kindAt(7, 6), Allowed);
}

TEST_F(RenjuTest, AStoneAlreadyOnTheCellIsTestedAsItStands) {
  auto rows = emptyRows(15);
  rows[7] = "..xxx...xxx....";  // x x x . (7, 6) . x x x
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 6), DoubleFour);
  engine.board[7][6] = kBlack;
  EXPECT_EQ(kindAt(7, 6), DoubleFour);
}

TEST_F(RenjuTest, AFiveOverridesDoubleFourAndOverline) {
  // Row: x x x x T makes exactly five. Column: T x x x; diagonal: T x x x.
  auto rows = emptyRows(15);
  rows[7] = "...xxxx........";
  rows[8][7] = rows[9][7] = rows[10][7] = 'x';
  rows[6][8] = rows[5][9] = rows[4][10] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 7), Allowed);
  engine.board[7][3] = kEmpty;  // the row is now a third four
  EXPECT_EQ(kindAt(7, 7), DoubleFour);

  // Row five again; the column through T holds six.
  rows = emptyRows(15);
  rows[7] = "...xxxx........";
  for (int a = 8; a <= 12; ++a) rows[a][7] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 7), Allowed);
  engine.board[7][3] = kEmpty;
  EXPECT_EQ(kindAt(7, 7), OverlineKind);
}

TEST_F(RenjuTest, OverlineAloneAndWithADoubleThree) {
  auto rows = emptyRows(15);
  rows[7] = "..xxx.xx.......";  // T = (7, 5) makes six
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 5), OverlineKind);
  // Add an open three in the column and one in the diagonal through T.
  rows[8][5] = rows[9][5] = 'x';
  rows[6][6] = rows[5][7] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 5), DoubleThree);
}

// T = (7, 7): a row three x . T x whose only straight-four cell is (7, 6),
// and a column three T x x.
std::vector<std::string> nestedThreeRows() {
  auto rows = emptyRows(15);
  rows[7][5] = rows[7][8] = 'x';
  rows[8][7] = rows[9][7] = 'x';
  return rows;
}

TEST_F(RenjuTest, AThreeWhoseStraightFourCellIsForbiddenIsNotReal) {
  auto rows = nestedThreeRows();
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 7), DoubleThree);

  // Column 6 x x . (7, 6): the straight-four cell also makes a three there:
  // a four-three, allowed, so both of T's threes stay real.
  rows[4][6] = rows[5][6] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 7), DoubleThree);

  // Column 6 x x x . (7, 6): now the cell is a double four for Black.
  rows[3][6] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(7, 6), Allowed);  // as it stands, without T
  LineViews views;
  buildLineViews(views);
  setViewsCell(views, 7, 7, kBlack, 15);
  EXPECT_EQ(forbiddenKind(views, 7, 6), DoubleFour);
  EXPECT_EQ(countRealThreesAt(views, 7, 7), 1);
  EXPECT_EQ(kindAt(7, 7), Allowed);
}

TEST_F(RenjuTest, AThreeWhoseStraightFourCellMakesFiveIsNotReal) {
  auto rows = nestedThreeRows();
  rows[3][6] = rows[4][6] = rows[5][6] = rows[6][6] = 'x';  // (7, 6) completes five in column 6
  setBoardText(rows);
  LineViews views;
  buildLineViews(views);
  EXPECT_TRUE(makesFiveAt(views, 7, 6));
  EXPECT_EQ(kindAt(7, 7), Allowed);
}

TEST_F(RenjuTest, DoubleFourEndingOnTheLastCellOfATwentyBoard) {
  auto rows = emptyRows(20);
  rows[3] = "...........xxx...xxx";  // T = (3, 15) between x x x . and . x x x
  rows[9] = "...xxx...xxx........";  // the same shape further left, T = (9, 7)
  setBoardText(rows);
  EXPECT_EQ(kindAt(3, 15), DoubleFour);
  EXPECT_EQ(kindAt(9, 7), DoubleFour);
  // The same in a column, ending on the last row.
  rows = emptyRows(20);
  for (int a : {11, 12, 13, 17, 18, 19}) rows[a][4] = 'x';
  setBoardText(rows);
  EXPECT_EQ(kindAt(15, 4), DoubleFour);
}

}  // namespace
}  // namespace quenvik
