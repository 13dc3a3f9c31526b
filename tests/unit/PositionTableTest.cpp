#include <gtest/gtest.h>

#include <cstdint>

#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "rules/Position.h"
#include "think/Game.h"

namespace quenvik {
namespace {

// Keys that all fall into one bucket and differ above the index bits.
constexpr uint64_t kBucket = 0x12345;
constexpr uint64_t keyInBucket(uint64_t high) { return (high << 23) | kBucket; }

class PositionTableTest : public ::testing::Test {
 protected:
  void SetUp() override { clearPositionTable(); }
  static const TableBucket& bucket() { return engine.positionTable[kBucket]; }
};

TEST_F(PositionTableTest, TableIsAlignedSoABucketIsOneHalfCacheLine) {
  EXPECT_EQ(reinterpret_cast<uintptr_t>(&engine.positionTable[0]) % 32, 0u);
  EXPECT_EQ(sizeof engine.positionTable, 268435456u);
}

TEST_F(PositionTableTest, StoreWritesEveryFieldAndLookupFindsIt) {
  const uint64_t key = keyInBucket(0xABCDEF);
  tableStore(key, -19997, LowerBound, 13, 4021, 399);
  const TableEntry* entry = tableLookup(key);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->key, key);
  EXPECT_EQ(entry->score, -19997);
  EXPECT_EQ(entry->bound, LowerBound);
  EXPECT_EQ(entry->depth, 13);
  EXPECT_EQ(entry->priority, 4021);
  EXPECT_EQ(entry->move, 399);
  tableStore(key, -20001, Exact, 0, 4021, -1);
  EXPECT_EQ(tableLookup(key)->score, -20001);
  EXPECT_EQ(tableLookup(key)->move, -1);
}

TEST_F(PositionTableTest, EmptySlotZeroAlwaysTakesTheStore) {
  tableStore(keyInBucket(1), 5, Exact, 3, 0, 7);
  EXPECT_EQ(bucket().slot[0].key, keyInBucket(1));
  EXPECT_EQ(bucket().slot[1].bound, EmptySlot);
}

TEST_F(PositionTableTest, ReplacementKeepsTheHigherPriorityInSlotZero) {
  tableStore(keyInBucket(1), 1, Exact, 5, 100, 1);
  // Equal priority overwrites slot 0.
  tableStore(keyInBucket(2), 2, Exact, 5, 100, 2);
  EXPECT_EQ(bucket().slot[0].key, keyInBucket(2));
  EXPECT_EQ(bucket().slot[1].bound, EmptySlot);
  // Lower priority goes to slot 1, and again to slot 1 whatever it holds.
  tableStore(keyInBucket(3), 3, UpperBound, 4, 99, 3);
  EXPECT_EQ(bucket().slot[0].key, keyInBucket(2));
  EXPECT_EQ(bucket().slot[1].key, keyInBucket(3));
  tableStore(keyInBucket(4), 4, LowerBound, 1, 0, 4);
  EXPECT_EQ(bucket().slot[0].key, keyInBucket(2));
  EXPECT_EQ(bucket().slot[1].key, keyInBucket(4));
  EXPECT_EQ(tableLookup(keyInBucket(3)), nullptr);
  // Higher priority overwrites slot 0 and leaves slot 1 alone.
  tableStore(keyInBucket(5), 5, Exact, 9, 101, 5);
  EXPECT_EQ(bucket().slot[0].key, keyInBucket(5));
  EXPECT_EQ(bucket().slot[1].key, keyInBucket(4));
  EXPECT_EQ(tableLookup(keyInBucket(2)), nullptr);
}

TEST_F(PositionTableTest, SharedBucketTellsKeysApartByTheFullKey) {
  tableStore(keyInBucket(7), 70, Exact, 2, 50, 17);
  tableStore(keyInBucket(8), 80, Exact, 2, 40, 18);
  ASSERT_NE(tableLookup(keyInBucket(7)), nullptr);
  ASSERT_NE(tableLookup(keyInBucket(8)), nullptr);
  EXPECT_EQ(tableLookup(keyInBucket(7))->score, 70);
  EXPECT_EQ(tableLookup(keyInBucket(8))->score, 80);
  EXPECT_EQ(tableLookup(keyInBucket(9)), nullptr);
}

TEST_F(PositionTableTest, ASecondCopyOfAKeyIsShadowedBySlotZero) {
  const uint64_t key = keyInBucket(11);
  tableStore(key, 10, Exact, 6, 200, 1);
  tableStore(key, 20, UpperBound, 2, 150, 2);  // lower priority: slot 1, no search for the old copy
  EXPECT_EQ(bucket().slot[1].key, key);
  EXPECT_EQ(tableLookup(key)->score, 10);
  EXPECT_EQ(tableLookup(key), &bucket().slot[0]);
}

TEST_F(PositionTableTest, NewGameForgetsEveryEntry) {
  engine.gameSize = 15;
  seedRandom(kMainThreadSeed);
  newGame();
  const uint64_t key = engine.stoneKeys[0][112] ^ engine.stoneKeys[1][113];
  tableStore(key, 33, Exact, 4, 20, 112);
  ASSERT_NE(tableLookup(key), nullptr);
  newGame();
  EXPECT_EQ(tableLookup(key), nullptr);
  EXPECT_NE(engine.stoneKeys[0][112] ^ engine.stoneKeys[1][113], key);
}

}  // namespace
}  // namespace quenvik
