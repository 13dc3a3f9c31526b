// The incrementally kept pattern state: it must always equal a full rebuild.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/EngineState.h"
#include "rules/LineViews.h"
#include "rules/PatternTable.h"
#include "rules/Patterns.h"
#include "tests/unit/RulesBoardText.h"

namespace quenvik {
namespace {

using test::setBoardText;
using test::setEmptyBoard;
using test::setRule;

// Compares the current (incremental) pattern state with a full rebuild of the
// same board, then puts the incremental state back so the sequence goes on
// from it.
void expectSameAsRebuild(const std::string& where) {
  const int n = engine.boardSize;
  const PatternState incremental = engine.patterns;
  const std::vector<int32_t> list = engine.forbiddenCheckList;
  const std::vector<int32_t> previous = engine.previousForbiddenCheckList;
  rebuildPatterns();
  const PatternState& rebuilt = engine.patterns;
  int differences = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      differences += incremental.cellStateMap[a][b] != engine.board[a][b];
      if (engine.board[a][b] != kEmpty) continue;
      for (int c = 0; c < 2; ++c) {
        for (int d = 0; d < kDirections; ++d) {
          differences += incremental.patternCodes[c][a][b][d] != rebuilt.patternCodes[c][a][b][d];
        }
        differences += incremental.cellRank[c][a][b] != rebuilt.cellRank[c][a][b];
        differences += incremental.cellLevel[c][a][b] != rebuilt.cellLevel[c][a][b];
      }
    }
  }
  EXPECT_EQ(differences, 0) << where;
  engine.patterns = incremental;
  engine.forbiddenCheckList = list;
  engine.previousForbiddenCheckList = previous;
}

TEST(PatternState, IncrementalUpdatesMatchARebuildAfterRandomChanges) {
  std::mt19937 random(7031);
  for (const Rule rule : kAllRules) {
    for (const int n : {7, 15, 20}) {
      setRule(rule);
      setEmptyBoard(n);
      rebuildPatterns();
      std::vector<std::pair<int, int>> stones;
      for (int step = 0; step < 250; ++step) {
        // One to three changes between updates, as a search's make and
        // unmake, or a take-back followed by a new move, produce them.
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < changes; ++k) {
          const bool crowded = static_cast<int>(stones.size()) * 5 >= n * n * 2;
          if (!stones.empty() && (crowded || random() % 10 < 4)) {
            const std::size_t i = random() % stones.size();
            engine.board[stones[i].first][stones[i].second] = kEmpty;
            stones.erase(stones.begin() + static_cast<std::ptrdiff_t>(i));
          } else {
            int a, b;
            do {
              a = static_cast<int>(random() % n);
              b = static_cast<int>(random() % n);
            } while (engine.board[a][b] != kEmpty);
            engine.board[a][b] = random() % 20 < 11 ? kBlack : kWhite;
            stones.push_back({a, b});
          }
        }
        updatePatterns();
        expectSameAsRebuild(std::string(ruleName(rule)) + " n=" + std::to_string(n) + " step " + std::to_string(step));
        if (HasFailure()) return;
      }
    }
  }
  setRule(Rule::Freestyle);
}

// updateDirection reads the board itself; it must give what classifyLine
// gives on the cell's whole padded line, at every cell and edge distance.
TEST(PatternState, DirectionCodesMatchClassifyLineOnTheWholeLine) {
  std::mt19937 random(4711);
  for (const Rule rule : kAllRules) {
    setRule(rule);
    for (int n = kMinBoardSize; n <= kMaxBoardSize; ++n) {
      setEmptyBoard(n);
      const unsigned emptyTenths = 3 + static_cast<unsigned>(n) % 5;  // sparse and crowded boards
      for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
          const unsigned r = random() % 10;
          engine.board[a][b] = r < emptyTenths ? kEmpty : r % 2 == 0 ? kBlack : kWhite;
        }
      }
      int differences = 0;
      for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
          if (engine.board[a][b] != kEmpty) continue;
          for (int d = 0; d < kDirections; ++d) {
            updateDirection(a, b, d);
            int32_t line[kPaddedLineLength];
            const int p = boardPaddedLine(line, d, a, b);
            for (int c = 0; c < 2; ++c) {
              line[p + 2] = c == 0 ? kBlack : kWhite;
              differences += engine.patterns.patternCodes[c][a][b][d] != classifyLine(line, p);
            }
          }
        }
      }
      EXPECT_EQ(differences, 0) << ruleName(rule) << " n=" << n;
    }
  }
  setRule(Rule::Freestyle);
}

// T's row three (x . T x) is real only while its straight-four cell is an
// allowed move; the Black stone at (3, 6) makes that cell a double four. The
// stone is on none of T's lines, so only the re-test of the cells that needed
// the full test last time can see it.
TEST(PatternState, DoubleThreeStatusFollowsAStoneOffTheCellsLines) {
  setRule(Rule::Renju);
  std::vector<std::string> rows(15, std::string(15, '.'));
  rows[4][6] = rows[5][6] = 'x';
  rows[7][5] = rows[7][8] = 'x';
  rows[8][7] = rows[9][7] = 'x';
  rows[0][0] = rows[0][2] = rows[0][4] = rows[0][10] = rows[0][12] = rows[0][14] = 'o';
  setBoardText(rows);
  rebuildPatterns();
  EXPECT_EQ(engine.patterns.cellRank[0][7][7], 0);
  EXPECT_EQ(engine.patterns.cellLevel[0][7][7], 0);
  ASSERT_EQ(patternClassOf(engine.patterns.patternCodes[0][7][7][0]), ThreeOpenSingle);
  ASSERT_EQ(patternClassOf(engine.patterns.patternCodes[0][7][7][1]), ThreeOpenDouble);

  engine.board[3][6] = kBlack;
  updatePatterns();
  EXPECT_EQ(engine.patterns.cellRank[0][7][7], pairRankTable[ThreeOpenDouble][ThreeOpenSingle]);
  EXPECT_EQ(engine.patterns.cellLevel[0][7][7], 3);
  expectSameAsRebuild("after (3, 6)");

  engine.board[3][6] = kEmpty;
  updatePatterns();
  EXPECT_EQ(engine.patterns.cellRank[0][7][7], 0);
  setRule(Rule::Freestyle);
}

TEST(PatternState, ForbiddenCheckListFromALargerBoardIsIgnoredOutsideTheSquare) {
  setRule(Rule::Renju);
  setEmptyBoard(20);
  engine.forbiddenCheckList = {19 + 20 * 19, 3 + 20 * 17, 17 + 20 * 3};
  setEmptyBoard(9);
  engine.patterns.patternCodes[0][3][17][0] = 12345;
  engine.board[4][4] = kBlack;
  rebuildPatterns();
  EXPECT_EQ(engine.patterns.patternCodes[0][3][17][0], 12345);
  EXPECT_TRUE(engine.forbiddenCheckList.empty());
  expectSameAsRebuild("9 x 9 after a 20 x 20 list");
  setRule(Rule::Freestyle);
}

TEST(PatternState, OnlyChangedCellsAndRebuildsRecompute) {
  setRule(Rule::Freestyle);
  setEmptyBoard(15);
  engine.board[7][7] = kBlack;
  rebuildPatterns();
  const int32_t fresh = engine.patterns.patternCodes[0][7][8][0];
  engine.patterns.patternCodes[0][7][8][0] = 12345;

  // A stone placed and taken back between two updates changes nothing.
  engine.board[7][9] = kWhite;
  engine.board[7][9] = kEmpty;
  updatePatterns();
  EXPECT_EQ(engine.patterns.patternCodes[0][7][8][0], 12345);

  // A rebuild recomputes every empty cell although the board is unchanged.
  rebuildPatterns();
  EXPECT_EQ(engine.patterns.patternCodes[0][7][8][0], fresh);
}

TEST(PatternState, CellSummaryRanksAndLevels) {
  // Row 7: x . x T x . x, a double four in one line; column 7: T x x x, a
  // straight four. Cell (12, 3): a straight four in its row and three in a
  // row with room on both sides in its column.
  std::vector<std::string> rows(15, std::string(15, '.'));
  rows[7] = "....x.x.x.x....";
  rows[8][7] = rows[9][7] = rows[10][7] = 'x';
  rows[12][4] = rows[12][5] = rows[12][6] = 'x';
  rows[10][3] = rows[11][3] = 'x';
  rows[0][0] = rows[0][2] = rows[0][4] = rows[0][6] = rows[0][8] = rows[0][10] = rows[0][12] = rows[1][0] = 'o';
  setBoardText(rows);

  setRule(Rule::Freestyle);
  rebuildPatterns();
  EXPECT_EQ(engine.patterns.patternCodes[0][7][7][0], patternCode(Four, 2));
  EXPECT_EQ(engine.patterns.cellRank[0][7][7], pairRankTable[FourOpen][ThreeOpenSingle]);
  EXPECT_EQ(engine.patterns.cellLevel[0][7][7], 5);
  EXPECT_EQ(engine.patterns.cellRank[0][12][3], 11 * 12 / 2 + 9 + 1);
  EXPECT_EQ(engine.patterns.cellLevel[0][12][3], 5);

  // Under Renju the two fours in one line make the cell forbidden to Black
  // only; White keeps its values.
  setRule(Rule::Renju);
  rebuildPatterns();
  EXPECT_EQ(engine.patterns.cellRank[0][7][7], 0);
  EXPECT_EQ(engine.patterns.cellLevel[0][7][7], 0);
  EXPECT_GT(engine.patterns.cellRank[1][7][7], 0);
  EXPECT_EQ(engine.patterns.cellLevel[0][12][3], 5);
  setRule(Rule::Freestyle);
}

}  // namespace
}  // namespace quenvik
