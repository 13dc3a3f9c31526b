#include <gtest/gtest.h>

#include <cstring>

#include "AI/AIx.h"
#include "AI/PositionTable.h"
#include "AI/SearchTables.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Position.h"
#include "tests/unit/SearchPositionText.h"
#include "think/Game.h"

namespace quenvik {
namespace {

TEST(SearchTables, EntriesMatchTheWeights) {
  EXPECT_EQ(candidateAttack[0], -100000);
  EXPECT_EQ(candidateAttack[3], 0);
  EXPECT_EQ(candidateAttack[6], 2);
  EXPECT_EQ(candidateAttack[15], 8);
  EXPECT_EQ(candidateAttack[21], 10);
  EXPECT_EQ(candidateAttack[36], 20);
  EXPECT_EQ(candidateAttack[45], 100);
  EXPECT_EQ(candidateAttack[46], 12);
  EXPECT_EQ(candidateAttack[55], 100);
  EXPECT_EQ(candidateAttack[63], 26);
  EXPECT_EQ(candidateAttack[64], 3000);
  EXPECT_EQ(candidateAttack[66], 4000);
  EXPECT_EQ(candidateAttack[67], 6000);
  EXPECT_EQ(candidateAttack[78], 6000);
  EXPECT_EQ(candidateAttack[79], 1000000);
  EXPECT_EQ(candidateAttack[91], 1000000);

  EXPECT_EQ(candidateDefence[0], 100);
  EXPECT_EQ(candidateDefence[10], 0);
  EXPECT_EQ(candidateDefence[15], 2);
  EXPECT_EQ(candidateDefence[29], 1);
  EXPECT_EQ(candidateDefence[33], 2);
  EXPECT_EQ(candidateDefence[45], 27);
  EXPECT_EQ(candidateDefence[54], 28);
  EXPECT_EQ(candidateDefence[55], 29);
  EXPECT_EQ(candidateDefence[63], 12);
  EXPECT_EQ(candidateDefence[64], 1200);
  EXPECT_EQ(candidateDefence[65], 1201);
  EXPECT_EQ(candidateDefence[66], 1400);
  EXPECT_EQ(candidateDefence[71], 1501);
  EXPECT_EQ(candidateDefence[75], 1506);
  EXPECT_EQ(candidateDefence[77], 1511);
  EXPECT_EQ(candidateDefence[78], 2000);
  EXPECT_EQ(candidateDefence[79], 50000);
  EXPECT_EQ(candidateDefence[91], 50000);

  // Only a five point of the side to move reaches the immediate-five score,
  // and no defence value lifts a cell forbidden to Black above zero.
  for (int own = 0; own <= kMaxRank; ++own) {
    for (int opp = 0; opp <= kMaxRank; ++opp) {
      const int score = candidateAttack[own] + candidateDefence[opp];
      EXPECT_EQ(score >= 500000, own >= 79) << own << " " << opp;
      if (own == 0) {
        EXPECT_LT(score, 0) << opp;
      }
    }
  }
}

TEST(SearchTables, BaseReductionIsExactAtBothEnds) {
  EXPECT_EQ(baseReduction(kRootWidth, kRootWidth), 1.0);
  EXPECT_EQ(baseReduction(1, 60), 0.09999999999999998);
  EXPECT_NEAR(baseReduction(2, 60), 0.25, 0.01);
  EXPECT_NEAR(baseReduction(5, 60), 0.45, 0.01);
  EXPECT_NEAR(baseReduction(10, 60), 0.61, 0.01);
  EXPECT_NEAR(baseReduction(20, 60), 0.76, 0.01);
  EXPECT_GT(baseReduction(400, 60), 1.0);
}

// A hand-made pattern state: the snapshot equals the board, so the search's
// own update at the root recomputes nothing and the ranks and levels set here
// are what it reads. Every cell starts at rank 1 (worth nothing either way).
class HandMadeSearch : public ::testing::Test {
 protected:
  static constexpr int kN = 15;
  static constexpr double kDepth = 2.5;

  void SetUp() override {
    resetEngine();
    engine.boardSize = kN;
    for (auto& colour : engine.patterns.cellRank)
      for (auto& row : colour)
        for (int32_t& r : row) r = 1;
    for (auto& colour : engine.patterns.patternCodes)
      for (auto& row : colour)
        for (auto& cell : row)
          for (int32_t& c : cell) c = patternCode(OneOpen, 1);
    seedRandom(kMainThreadSeed);
    makeGameKeys();
    clearPositionTable();
    // Black (7, 7) and White (7, 9): Black to move.
    place(7, 7, kBlack);
    place(7, 9, kWhite);
  }

  static void place(int a, int b, int32_t colour) {
    engine.board[a][b] = colour;
    engine.patterns.cellStateMap[a][b] = colour;
    engine.stoneCount += 1;
    engine.recordCount = engine.stoneCount;
  }
  static void setCell(int32_t colour, int a, int b, int rank, int level) {
    engine.patterns.cellRank[colourIndex(colour)][a][b] = rank;
    engine.patterns.cellLevel[colourIndex(colour)][a][b] = level;
  }
  static int move(int a, int b) { return moveNumberOf(a, b, kN); }

  // The state the root decision sets before an iteration; every empty cell a
  // root candidate.
  static void prepareRoot() {
    resetSearch();
    engine.searchAborted = 0;
    for (int a = 0; a < kN; ++a) {
      for (int b = 0; b < kN; ++b) {
        if (engine.board[a][b] != kEmpty) continue;
        engine.rootCandidates[a][b] = 1;
        engine.rootCandidateCount += 1;
      }
    }
    engine.positionKey = computePositionKey();
  }

  // One call, checking that the board and the counters come back unchanged.
  static SearchResult search(double depth, int alpha = -kWinScore, int beta = kWinScore, int isRoot = 1) {
    int32_t board[kGridWidth][kGridWidth];
    std::memcpy(board, engine.board, sizeof board);
    const int32_t stones = engine.stoneCount;
    const uint64_t key = engine.positionKey;
    const int32_t ply = engine.plyIndex;
    const SearchResult result = principalSearch(kRootWidth, depth, alpha, beta, isRoot, 0);
    EXPECT_EQ(std::memcmp(board, engine.board, sizeof board), 0);
    EXPECT_EQ(engine.stoneCount, stones);
    EXPECT_EQ(engine.positionKey, key);
    EXPECT_EQ(engine.plyIndex, ply);
    return result;
  }
  static SearchResult rootSearch(double depth = kDepth) {
    prepareRoot();
    return search(depth);
  }
};

#define EXPECT_RESULT(result, expectedScore, expectedMove) \
  do {                                                     \
    const SearchResult r_ = (result);                      \
    EXPECT_EQ(r_.score, expectedScore);                    \
    EXPECT_EQ(r_.move, expectedMove);                      \
  } while (0)

TEST_F(HandMadeSearch, ImmediateFiveTakesTheFirstFivePointAndIsStored) {
  setCell(kBlack, 6, 7, 80, 6);  // MoveNumber 111
  setCell(kBlack, 7, 6, 79, 6);  // MoveNumber 97: first in MoveNumber order
  EXPECT_RESULT(rootSearch(), 20000, move(7, 6));
  EXPECT_EQ(engine.nodeCount, 1);
  const TableEntry* entry = tableLookup(engine.positionKey);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->bound, Exact);
  EXPECT_EQ(entry->score, 20000);
  EXPECT_EQ(entry->depth, 2);
  EXPECT_EQ(entry->priority, 22);  // 10 * 2 moves + 2.5
  EXPECT_EQ(entry->move, move(7, 6));

  // Deeper in the tree the win is worth 20000 less the ply.
  clearPositionTable();
  prepareRoot();
  engine.plyIndex = 3;
  EXPECT_RESULT(search(kDepth, -kWinScore, kWinScore, 0), 19997, move(7, 6));
}

TEST_F(HandMadeSearch, FivePointThatIsTheHashMoveYieldsToTheNextOne) {
  setCell(kBlack, 6, 7, 80, 6);
  setCell(kBlack, 7, 6, 79, 6);
  prepareRoot();
  tableStore(engine.positionKey, 0, UpperBound, 0, 0, move(7, 6));  // too shallow: only its move is used
  EXPECT_RESULT(search(kDepth), 20000, move(6, 7));
  // With no other five point the node ends as a win with the hash move.
  clearPositionTable();
  setCell(kBlack, 6, 7, 1, 0);
  prepareRoot();
  tableStore(engine.positionKey, 0, UpperBound, 0, 0, move(7, 6));
  EXPECT_RESULT(search(kDepth), 20000, move(7, 6));
}

TEST_F(HandMadeSearch, StraightFourWinsWithoutSearchingOrStoring) {
  setCell(kBlack, 6, 7, 67, 5);  // straight four: key 6000
  setCell(kBlack, 7, 6, 45, 3);  // open three: key 100
  EXPECT_RESULT(rootSearch(), 20000, move(6, 7));
  EXPECT_EQ(engine.nodeCount, 1);
  EXPECT_EQ(tableLookup(engine.positionKey), nullptr);
}

// Which children a search visited, seen through the leaf entries they stored.
bool childStored(int m) { return tableLookup(engine.positionKey ^ engine.stoneKeys[0][m]) != nullptr; }

TEST_F(HandMadeSearch, AgainstAFivePointOnlyTheBestKeyedCandidateIsSearched) {
  setCell(kBlack, 6, 7, 67, 5);  // own straight four, but the opponent has a five point
  setCell(kBlack, 7, 6, 45, 3);
  setCell(kWhite, 5, 5, 79, 6);  // the block: 50000
  SearchResult result = rootSearch(1.0);
  EXPECT_EQ(result.move, move(5, 5));
  EXPECT_EQ(engine.nodeCount, 2);
  EXPECT_TRUE(childStored(move(5, 5)));
  // A hash move outranks the block; without the block White wins at ply 1.
  clearPositionTable();
  prepareRoot();
  tableStore(engine.positionKey, 0, LowerBound, 0, 0, move(7, 6));
  result = search(1.0);
  EXPECT_RESULT(result, -20001, -1);  // -2 for the open three, less White's 19999
  EXPECT_EQ(engine.nodeCount, 2);
  EXPECT_TRUE(childStored(move(7, 6)));
  EXPECT_FALSE(childStored(move(5, 5)));
}

TEST_F(HandMadeSearch, RootWithOneOrNoCandidateAnswersAtOnce) {
  setCell(kBlack, 7, 6, 45, 3);
  setCell(kBlack, 6, 7, 45, 3);
  prepareRoot();
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidates[9][3] = 1;
  engine.rootCandidateCount = 1;
  engine.bestScore = 77;
  EXPECT_RESULT(search(kDepth), 77, move(9, 3));
  EXPECT_EQ(engine.rootAnsweredAtOnce, 1);
  EXPECT_EQ(engine.searchAborted, 0);  // answering at once is not a stop

  prepareRoot();
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidateCount = 0;
  EXPECT_RESULT(search(kDepth), -20000, -1);
  EXPECT_EQ(engine.rootAnsweredAtOnce, 1);
}

TEST_F(HandMadeSearch, TableAndWinsComeBeforeTheRootShortcut) {
  setCell(kBlack, 6, 7, 79, 6);
  prepareRoot();
  engine.rootCandidateCount = 0;
  EXPECT_RESULT(search(kDepth), 20000, move(6, 7));  // the five point, though no cell is a root candidate
  EXPECT_EQ(engine.searchAborted, 0);
  EXPECT_EQ(engine.rootAnsweredAtOnce, 0);

  setCell(kBlack, 6, 7, 67, 5);
  clearPositionTable();
  prepareRoot();
  engine.rootCandidateCount = 1;
  EXPECT_RESULT(search(kDepth), 20000, move(6, 7));

  setCell(kBlack, 6, 7, 45, 3);
  prepareRoot();
  engine.rootCandidateCount = 1;
  tableStore(engine.positionKey, 321, Exact, 2, 0, move(2, 2));
  EXPECT_RESULT(search(kDepth), 321, move(2, 2));
  EXPECT_EQ(engine.searchAborted, 0);
}

TEST_F(HandMadeSearch, DepthZeroIsALeafWithTheClampedEvaluation) {
  // Quiet: both sides' cells are worth the same and both stones have eight
  // live neighbours, so White (who has just moved) is worth -20: Black +20.
  EXPECT_RESULT(rootSearch(0.0), 20, -1);
  const TableEntry* entry = tableLookup(engine.positionKey);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->bound, Exact);
  EXPECT_EQ(entry->depth, 0);
  EXPECT_EQ(entry->priority, 20);
  EXPECT_EQ(entry->move, -1);
  EXPECT_EQ(engine.nodeCount, 1);

  // Black, to move, has a five point: a win at this ply.
  clearPositionTable();
  setCell(kBlack, 3, 3, 79, 6);
  EXPECT_RESULT(rootSearch(-0.5), 20000, -1);
  clearPositionTable();
  prepareRoot();
  engine.plyIndex = 4;
  EXPECT_RESULT(search(-0.5, -kWinScore, kWinScore, 0), 19996, -1);

  // White has a five point that Black may not block under Renju: a loss.
  clearPositionTable();
  setCell(kBlack, 3, 3, 0, 0);
  setCell(kWhite, 3, 3, 79, 6);
  engine.rule = Rule::Renju;
  prepareRoot();
  engine.plyIndex = 4;
  EXPECT_RESULT(search(0.0, -kWinScore, kWinScore, 0), -19996, -1);
}

TEST_F(HandMadeSearch, CellForbiddenToBlackIsNeverACandidate) {
  engine.rule = Rule::Renju;
  setCell(kBlack, 6, 7, 0, 0);
  setCell(kWhite, 6, 7, 79, 6);  // White's five point: worth 50000 as a block
  EXPECT_RESULT(rootSearch(), -20001, -1);
  EXPECT_EQ(engine.nodeCount, 1);
  // No move at all is a decided score: stored as exact, ten plies deeper.
  const TableEntry* entry = tableLookup(engine.positionKey);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->bound, Exact);
  EXPECT_EQ(entry->depth, 12);
  EXPECT_EQ(entry->score, -20001);
}

// The first move searched, seen through a node limit that stops the search
// at its second child (the children are leaves).
TEST_F(HandMadeSearch, EqualKeysAreOrderedByFreedomThenByPosition) {
  const auto firstSearched = [] {
    clearPositionTable();
    prepareRoot();
    engine.nodeLimit = 2;
    const SearchResult result = search(0.2);
    engine.nodeLimit = 0;
    EXPECT_EQ(engine.stopFlag, 1);
    EXPECT_EQ(engine.nodeLimitHit, 1);
    engine.stopFlag = 0;
    return result.move;
  };
  setCell(kBlack, 4, 7, 45, 3);   // MoveNumber 109
  setCell(kBlack, 10, 7, 45, 3);  // MoveNumber 115
  EXPECT_EQ(firstSearched(), move(4, 7));
  // A White stone next to the first cell takes away some of its freedom.
  place(3, 6, kWhite);
  place(0, 14, kBlack);
  EXPECT_EQ(firstSearched(), move(10, 7));
  // ... and one next to the second cell evens it out again.
  place(11, 8, kWhite);
  place(14, 0, kBlack);
  EXPECT_EQ(firstSearched(), move(4, 7));
  // A higher key beats any freedom.
  setCell(kBlack, 4, 7, 44, 3);
  EXPECT_EQ(firstSearched(), move(10, 7));
}

TEST_F(HandMadeSearch, StopIsSeenAtEntryAndNeverLowered) {
  setCell(kBlack, 7, 6, 45, 3);
  setCell(kBlack, 6, 7, 45, 3);
  prepareRoot();
  engine.stopFlag = 2;
  EXPECT_RESULT(search(kDepth), 0, -1);
  EXPECT_EQ(engine.searchAborted, 1);
  EXPECT_EQ(engine.nodeCount, 0);

  // The node limit raises the stop only from 0: a timer's 2 stays.
  prepareRoot();
  engine.nodeLimit = 1;
  engine.nodeCount = 5;
  EXPECT_RESULT(search(kDepth), 0, -1);
  EXPECT_EQ(engine.stopFlag, 2);
  EXPECT_EQ(engine.nodeLimitHit, 1);

  prepareRoot();
  engine.stopFlag = 0;
  engine.nodeLimit = 1;
  EXPECT_RESULT(search(kDepth), 0, -1);  // the root itself counts as node 1
  EXPECT_EQ(engine.nodeCount, 1);
  EXPECT_EQ(engine.stopFlag, 1);
  engine.nodeLimit = 0;
  engine.stopFlag = 0;
}

TEST_F(HandMadeSearch, BoundEntriesCutOffOutsideTheWindow) {
  setCell(kBlack, 7, 6, 45, 3);
  prepareRoot();
  engine.plyIndex = 2;
  tableStore(engine.positionKey, 50, UpperBound, 3, 0, move(7, 6));
  EXPECT_RESULT(search(kDepth, 60, 100, 0), 50, -1);
  EXPECT_EQ(engine.nodeCount, 1);
  tableStore(engine.positionKey, 150, LowerBound, 3, 0, move(7, 6));
  EXPECT_RESULT(search(kDepth, 60, 100, 0), 150, -1);
  // An entry searched less deep than asked does not cut off; it only lends
  // its move, which is searched.
  tableStore(engine.positionKey, 150, LowerBound, 1, 0, move(7, 6));
  engine.nodeCount = 0;
  search(kDepth, 60, 100, 0);
  EXPECT_GT(engine.nodeCount, 1);
  EXPECT_TRUE(childStored(move(7, 6)));
}

}  // namespace
}  // namespace quenvik

namespace quenvik {
namespace {

using test::prepareSearchRoot;
using test::setUpPositionText;

SearchResult searchRoot(double depth) { return principalSearch(kRootWidth, depth, -kWinScore, kWinScore, 1, 0); }

// Twelve moves of a quiet opening, Black to move.
const std::vector<std::string> kMiddleGame = {"...............",  //
                                              "...............",  //
                                              "...............",  //
                                              "...............",  //
                                              "...............",  //
                                              "........x......",  //
                                              ".......o.x.....",  //
                                              ".......xo.o....",  //
                                              ".......xox.....",  //
                                              "......x..o.....",  //
                                              ".......o.......",  //
                                              "...............",  //
                                              "...............",  //
                                              "...............",  //
                                              "..............."};

// White to move must block Black's four at (7, 7): one candidate.
const std::vector<std::string> kBlockTheFour = {"o.............o",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "..oxxxx........",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "...............",  //
                                                "o.............x"};

TEST(PrincipalSearchOnPositions, EverySearchLeavesTheStateAsItFoundIt) {
  for (const Rule rule : kAllRules) {
    for (double depth : {1.0, 2.0, 3.0}) {
      setUpPositionText(kMiddleGame, rule);
      prepareSearchRoot();
      PatternState patterns;
      std::memcpy(&patterns, &engine.patterns, sizeof patterns);
      int32_t board[kGridWidth][kGridWidth];
      std::memcpy(board, engine.board, sizeof board);
      const uint64_t key = engine.positionKey;
      const SearchResult result = searchRoot(depth);
      EXPECT_EQ(std::memcmp(board, engine.board, sizeof board), 0);
      EXPECT_EQ(std::memcmp(&patterns, &engine.patterns, sizeof patterns), 0);
      EXPECT_EQ(engine.stoneCount, 12);
      EXPECT_EQ(engine.positionKey, key);
      EXPECT_EQ(engine.plyIndex, 0);
      EXPECT_EQ(engine.searchAborted, 0);
      ASSERT_GE(result.move, 0);
      EXPECT_EQ(engine.board[moveRow(result.move, 15)][moveColumn(result.move, 15)], kEmpty);
      EXPECT_GT(engine.selDepth, 0);
    }
  }
}

TEST(PrincipalSearchOnPositions, SameSearchTwiceCountsTheSameAndThenHitsTheTable) {
  setUpPositionText(kMiddleGame);
  prepareSearchRoot();
  const SearchResult first = searchRoot(3.0);
  const int nodes = engine.nodeCount;
  EXPECT_GT(nodes, 100);

  setUpPositionText(kMiddleGame);  // a new game clears the table
  prepareSearchRoot();
  const SearchResult again = searchRoot(3.0);
  EXPECT_EQ(engine.nodeCount, nodes);
  EXPECT_EQ(again.score, first.score);
  EXPECT_EQ(again.move, first.move);

  // The root's own entry answers the same search at once.
  prepareSearchRoot();
  const SearchResult cached = searchRoot(3.0);
  EXPECT_EQ(engine.nodeCount, 1);
  EXPECT_EQ(cached.score, first.score);
  EXPECT_EQ(cached.move, first.move);
}

TEST(PrincipalSearchOnPositions, NodeLimitStopsAtExactlyTheLimit) {
  setUpPositionText(kMiddleGame);
  prepareSearchRoot();
  engine.nodeLimit = 40;
  engine.bestScore = 55;
  engine.bestMove = 3;
  const SearchResult result = searchRoot(3.0);
  EXPECT_EQ(engine.nodeCount, 40);
  EXPECT_EQ(engine.stopFlag, 1);
  EXPECT_EQ(engine.nodeLimitHit, 1);
  EXPECT_EQ(engine.searchAborted, 1);
  EXPECT_EQ(engine.plyIndex, 0);
  EXPECT_EQ(engine.stoneCount, 12);
  // Stopped inside its first move, the root hands back the last iteration's result.
  EXPECT_EQ(result.score, 55);
  EXPECT_EQ(result.move, 3);
}

TEST(PrincipalSearchOnPositions, FivesAndFoursOnTheBoard) {
  // Black to move completes five at (7, 7), the first five point.
  setUpPositionText({"o..............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...xxxx........",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "...............",  //
                     "o.o.o.........."});
  prepareSearchRoot();
  SearchResult result = searchRoot(3.0);
  EXPECT_EQ(result.score, 20000);
  EXPECT_EQ(result.move, moveNumberOf(7, 2, 15));
  EXPECT_EQ(engine.nodeCount, 1);

  // White to move must block Black's four at (7, 7).
  setUpPositionText(kBlockTheFour);
  ASSERT_EQ(sideToMove(), kWhite);
  prepareSearchRoot();
  result = searchRoot(2.0);
  EXPECT_EQ(result.move, moveNumberOf(7, 7, 15));
  EXPECT_GT(result.score, -15000);
}

TEST(PrincipalSearchOnPositions, LateMoveIsSearchedShallowerThenAgainWhenItImproves) {
  // Fifteen moves in, the block costs a ply more: depth 1.05 - 0.1 - 1 makes
  // the child a leaf. Its score beats the best so far, so it is searched again
  // at 0.95, where the leaf's exact entry answers at once: three nodes.
  setUpPositionText(kBlockTheFour);
  ASSERT_EQ(sideToMove(), kWhite);
  prepareSearchRoot();
  engine.plyIndex = 1;
  SearchResult result = principalSearch(kRootWidth, 1.05, -kWinScore, kWinScore, 0, 15);
  EXPECT_EQ(result.move, moveNumberOf(7, 7, 15));
  EXPECT_EQ(engine.nodeCount, 3);
  // One move earlier in the count the child is searched at 0.95 straight away.
  setUpPositionText(kBlockTheFour);
  prepareSearchRoot();
  engine.plyIndex = 1;
  result = principalSearch(kRootWidth, 1.05, -kWinScore, kWinScore, 0, 14);
  EXPECT_EQ(result.move, moveNumberOf(7, 7, 15));
  EXPECT_GT(engine.nodeCount, 3);
}

// White has two open threes; Black, to move, can stop only one.
const std::vector<std::string> kTwoOpenThrees = {"x.............x",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 ".....ooo.......",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...........o...",  //
                                                 "...........o...",  //
                                                 "...........o...",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "...............",  //
                                                 "x......x.....xx"};

TEST(PrincipalSearchOnPositions, StoppedRootAfterLostMovesAnswersTheMoveCutShort) {
  setUpPositionText(kTwoOpenThrees);
  ASSERT_EQ(sideToMove(), kBlack);
  prepareSearchRoot();
  // Black can stop one three only: every move loses at once, when White makes
  // a straight four, so no move raises alpha.
  const SearchResult full = searchRoot(2.0);
  EXPECT_EQ(full.score, -20000);
  EXPECT_EQ(full.move, -1);
  ASSERT_GE(engine.nodeCount, 3);

  // Node 2 is the first root move, node 3 would be the second: a limit of 2
  // stops the root at its second move, with a lost one behind it.
  setUpPositionText(kTwoOpenThrees);
  prepareSearchRoot();
  engine.nodeLimit = 2;
  engine.bestScore = 55;
  engine.bestMove = 3;
  const SearchResult stopped = searchRoot(2.0);
  EXPECT_EQ(stopped.score, -20000);
  ASSERT_GE(stopped.move, 0);
  EXPECT_NE(stopped.move, 3);
  EXPECT_EQ(engine.board[moveRow(stopped.move, 15)][moveColumn(stopped.move, 15)], kEmpty);
  EXPECT_EQ(engine.nodeCount, 2);
}

// A 20 x 20 board whose odd rows are filled so that no column or diagonal
// can ever hold five: play lives on the even rows alone, threats are one
// line deep and both sides can always answer them, so a one-move-wide search
// follows a single line until the last snapshot slot.
std::vector<std::string> stripedBoard() {
  std::vector<std::string> rows(20, std::string(20, '.'));
  for (int a = 1; a < 20; a += 2) {
    for (int b = 0; b < 20; ++b) rows[a][b] = ((a - 1) / 2 + b) % 2 == 0 ? 'x' : 'o';
  }
  return rows;
}

TEST(PrincipalSearchOnPositions, ForcedLineEndsInALeafAtPly99) {
  setUpPositionText(stripedBoard());
  prepareSearchRoot();
  SearchResult result{0, -1};
  runOnSearchStack([&] { result = principalSearch(1, 12.0, -kWinScore, kWinScore, 1, 0); });
  EXPECT_EQ(engine.selDepth, 99);
  EXPECT_EQ(engine.nodeCount, 100);
  EXPECT_EQ(engine.plyIndex, 0);
  EXPECT_EQ(engine.stoneCount, 200);
  EXPECT_GE(result.move, 0);
}

}  // namespace
}  // namespace quenvik
