#include <gtest/gtest.h>

#include <set>

#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "frontend/GameRecord.h"
#include "rules/Position.h"
#include "think/Game.h"

namespace quenvik {
namespace {

TEST(Generator, ThinkThreadSequenceStartsAt41) {
  seedRandom(kThinkThreadSeed);
  EXPECT_EQ(drawRandom(), 41);
  EXPECT_EQ(drawRandom(), 18467);
  EXPECT_EQ(drawRandom(), 6334);
}

TEST(Generator, DrawsAreFifteenBitsOfTheNewState) {
  uint32_t state = kMainThreadSeed;
  seedRandom(kMainThreadSeed);
  for (int i = 0; i < 1000; ++i) {
    state = state * 214013u + 2531011u;
    const int expected = static_cast<int>((state >> 16) & 0x7FFF);
    ASSERT_EQ(drawRandom(), expected) << "draw " << i;
  }
}

TEST(GameKeys, SameCommandsGiveSameKeysAndEachGameNewOnes) {
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  const uint64_t firstGameKey = engine.stoneKeys[0][0];
  const uint64_t firstGameLastKey = engine.stoneKeys[1][400];
  makeGameKeys();
  EXPECT_NE(engine.stoneKeys[0][0], firstGameKey);
  EXPECT_NE(engine.stoneKeys[1][400], firstGameLastKey);

  seedRandom(kMainThreadSeed);
  makeGameKeys();
  EXPECT_EQ(engine.stoneKeys[0][0], firstGameKey);
  EXPECT_EQ(engine.stoneKeys[1][400], firstGameLastKey);
}

TEST(GameKeys, FirstKeyIsBuiltFromFiveDraws) {
  seedRandom(kMainThreadSeed);
  uint64_t r[5];
  for (auto& v : r) v = static_cast<uint64_t>(drawRandom());
  const uint64_t expected = r[0] ^ (r[1] << 15) ^ (r[2] << 30) ^ (r[3] << 45) ^ (r[4] << 60);
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  EXPECT_EQ(engine.stoneKeys[0][0], expected);
}

TEST(GameKeys, OneGameConsumesExactly4010Draws) {
  seedRandom(kMainThreadSeed);
  for (int i = 0; i < 4010; ++i) drawRandom();
  const int nextAfter4010 = drawRandom();
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  EXPECT_EQ(drawRandom(), nextAfter4010);
}

TEST(GameKeys, KeysOfOneGameAreDistinct) {
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  std::set<uint64_t> keys;
  for (const auto& table : engine.stoneKeys) keys.insert(std::begin(table), std::end(table));
  EXPECT_EQ(keys.size(), 2u * 401u);
}

TEST(SearchWindow, SingleCentreStoneOnFifteen) {
  const int32_t record[] = {cellIndexOf(7, 7)};
  const SearchSquare square = searchWindow(record, 1, 15);
  EXPECT_EQ(square.originX, 3);
  EXPECT_EQ(square.originY, 3);
  EXPECT_EQ(square.size, 9);
}

TEST(SearchWindow, SmallerSpanGrowsAwayFromTheEdge) {
  // x 0..5 and y 0..4 at first; the first growth would go low but y starts
  // at the edge, so it goes high.
  const int32_t record[] = {cellIndexOf(0, 0), cellIndexOf(1, 0)};
  const SearchSquare square = searchWindow(record, 2, 15);
  EXPECT_EQ(square.originX, 0);
  EXPECT_EQ(square.originY, 0);
  EXPECT_EQ(square.size, 6);
}

TEST(SearchWindow, CornerStone) {
  const int32_t record[] = {cellIndexOf(0, 0)};
  const SearchSquare square = searchWindow(record, 1, 15);
  EXPECT_EQ(square.originX, 0);
  EXPECT_EQ(square.originY, 0);
  EXPECT_EQ(square.size, 5);
}

TEST(SearchWindow, GrowthAlternatesLowThenHigh) {
  // Stones on one row: x spans 0..15, y only 3..11, so y grows by one
  // counter, low edge first, then high, until the spans agree.
  const int32_t wide[] = {cellIndexOf(7, 7), cellIndexOf(11, 7), cellIndexOf(3, 7)};
  const SearchSquare square = searchWindow(wide, 3, 20);
  // x: 3-4=0 .. 11+4=15 (16 cells); y: 3..11 (9 cells) grows to 16 cells.
  EXPECT_EQ(square.originX, 0);
  EXPECT_EQ(square.size, 16);
  // Seven growths: low (2), high (12), low (1), high (13), low (0), high (14), high (15).
  EXPECT_EQ(square.originY, 0);
}

TEST(SearchWindow, AlwaysASquareInsideTheBoard) {
  for (int size = 5; size <= 20; ++size) {
    for (int x = 0; x < size; ++x) {
      for (int y = 0; y < size; y += 3) {
        const int32_t record[] = {cellIndexOf(x, y), cellIndexOf(size - 1 - x, y / 2)};
        const SearchSquare square = searchWindow(record, 2, size);
        ASSERT_GE(square.originX, 0);
        ASSERT_GE(square.originY, 0);
        ASSERT_LE(square.originX + square.size, size);
        ASSERT_LE(square.originY + square.size, size);
        ASSERT_GE(square.size, 5);
      }
    }
  }
}

TEST(BoardBlock, EqualCountsMakeTheEngineFirstPlayer) {
  for (bool ownFirst : {true, false}) {
    BlockStone stones[2];
    const BlockStone own{cellIndexOf(7, 7), true};
    const BlockStone opposing{cellIndexOf(8, 8), false};
    stones[0] = ownFirst ? own : opposing;
    stones[1] = ownFirst ? opposing : own;
    int32_t record[400] = {};
    int32_t count = -1;
    ASSERT_TRUE(recordFromBlock(stones, 2, record, &count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(record[0], 147);
    EXPECT_EQ(record[1], 168);
  }
}

TEST(BoardBlock, OneMoreOpposingStoneMakesTheEngineSecondPlayer) {
  const BlockStone stones[] = {{10, false}, {11, true}, {12, false}, {13, true}, {14, false}};
  int32_t record[400] = {};
  int32_t count = 0;
  ASSERT_TRUE(recordFromBlock(stones, 5, record, &count));
  EXPECT_EQ(count, 5);
  const int32_t expected[] = {10, 11, 12, 13, 14};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(record[i], expected[i]);
}

TEST(BoardBlock, StonesKeepTheirOrderWithinEachColour) {
  const BlockStone stones[] = {{1, true}, {2, true}, {3, false}, {4, false}};
  int32_t record[400] = {};
  int32_t count = 0;
  ASSERT_TRUE(recordFromBlock(stones, 4, record, &count));
  const int32_t expected[] = {1, 3, 2, 4};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(record[i], expected[i]);
}

TEST(BoardBlock, UnfitCountsWriteNothing) {
  const BlockStone stones[] = {{1, true}, {2, true}, {3, false}};
  int32_t record[400] = {};
  record[0] = 99;
  int32_t count = 77;
  EXPECT_FALSE(recordFromBlock(stones, 3, record, &count));
  EXPECT_EQ(record[0], 99);
  EXPECT_EQ(count, 77);
  const BlockStone twoOpposingMore[] = {{1, false}, {2, false}, {3, false}, {4, true}};
  EXPECT_FALSE(recordFromBlock(twoOpposingMore, 4, record, &count));
}

TEST(EngineBoard, FullBoardOnTwentyMakesMoveNumberEqualCellIndex) {
  engine.gameSize = 20;
  engine.recordCount = 3;
  engine.recordMoves[0] = cellIndexOf(3, 17);
  engine.recordMoves[1] = cellIndexOf(19, 0);
  engine.recordMoves[2] = cellIndexOf(0, 19);
  setUpEngineBoard({0, 0, 20});
  EXPECT_EQ(engine.boardSize, 20);
  EXPECT_EQ(engine.stoneCount, 3);
  for (int i = 0; i < 3; ++i) {
    const int c = engine.recordMoves[i];
    const int m = c;  // MoveNumber b*N + a with a = x, b = y
    EXPECT_EQ(engine.board[moveRow(m, 20)][moveColumn(m, 20)], i % 2 == 0 ? kBlack : kWhite);
  }
}

TEST(EngineBoard, WindowShiftsStonesByTheOrigin) {
  engine.gameSize = 15;
  engine.recordCount = 2;
  engine.recordMoves[0] = cellIndexOf(7, 7);
  engine.recordMoves[1] = cellIndexOf(8, 6);
  const SearchSquare square = searchWindow(engine.recordMoves, 2, 15);
  setUpEngineBoard(square);
  EXPECT_EQ(engine.board[7 - square.originX][7 - square.originY], kBlack);
  EXPECT_EQ(engine.board[8 - square.originX][6 - square.originY], kWhite);
  int stones = 0;
  for (int a = 0; a < square.size; ++a)
    for (int b = 0; b < square.size; ++b) stones += engine.board[a][b] != kEmpty;
  EXPECT_EQ(stones, 2);
}

TEST(PositionKey, XorOfTheStonesKeysByColour) {
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  engine.gameSize = 15;
  engine.recordCount = 2;
  engine.recordMoves[0] = cellIndexOf(2, 3);
  engine.recordMoves[1] = cellIndexOf(4, 5);
  setUpEngineBoard({0, 0, 15});
  const uint64_t expected = engine.stoneKeys[0][3 * 15 + 2] ^ engine.stoneKeys[1][5 * 15 + 4];
  EXPECT_EQ(computePositionKey(), expected);
  engine.recordCount = 0;
  setUpEngineBoard({0, 0, 15});
  EXPECT_EQ(computePositionKey(), 0u);
}

}  // namespace
}  // namespace quenvik

namespace quenvik {
namespace {

// Both ways of clearing: the listed buckets of a short game, and the whole
// table after more buckets than the list holds.
void expectNewGameClearsEveryEntry(std::size_t stride) {
  for (std::size_t i = 0; i < kTableBuckets; i += stride) {
    const uint64_t key = (uint64_t{i} << 23) | i;
    tableStore(key, 5, Exact, 3, 7, 9);
    tableStore(key + (uint64_t{1} << 40), 5, UpperBound, 3, 6, 9);  // the lower priority fills slot 1
  }
  tableStore((uint64_t{1} << 23) | (kTableBuckets - 1), 5, Exact, 3, 7, 9);
  seedRandom(kMainThreadSeed);
  newGame();
  EXPECT_EQ(tableLookup(uint64_t{1} << 23), nullptr);  // the first use after the new game
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(engine.positionTable);
  std::size_t nonZero = 0;
  for (std::size_t i = 0; i < kTableBytes; i += 8) nonZero += *reinterpret_cast<const uint64_t*>(bytes + i) != 0;
  EXPECT_EQ(nonZero, 0u) << "stride " << stride;
}

TEST(NewGame, ClearsEveryEntryOfThePositionTable) {
  expectNewGameClearsEveryEntry(4099);
  expectNewGameClearsEveryEntry(3);
}

}  // namespace
}  // namespace quenvik
