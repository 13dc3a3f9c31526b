#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

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

// One store of a game's table traffic, and the key looked up after it.
struct TableOp {
  uint64_t key;
  int score, bound, depth, priority, move;
  uint64_t probe;
};

// More buckets than the packed table holds, and a third of the keys meeting
// earlier ones in their bucket, so both slots and the replacement are used.
std::vector<TableOp> gameTraffic() {
  uint64_t state = 0x9E3779B97F4A7C15u;
  auto draw = [&state] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return state ^ (state >> 29);
  };
  std::vector<uint64_t> keys;
  std::vector<TableOp> ops;
  for (std::size_t i = 0; i < 2 * kPackedBuckets; ++i) {
    uint64_t key = draw();
    if (i % 3 == 0 && !keys.empty()) key = (key & ~kTableIndexMask) | (keys[draw() % keys.size()] & kTableIndexMask);
    keys.push_back(key);
    const int score = static_cast<int>(draw() % 2001) - 1000;
    const int bound = 1 + static_cast<int>(draw() % 3);
    const int depth = static_cast<int>(draw() % 20);
    const int priority = static_cast<int>(draw() % 300);
    const int move = static_cast<int>(draw() % 401) - 1;
    ops.push_back({key, score, bound, depth, priority, move, keys[draw() % keys.size()]});
  }
  return ops;
}

// What the lookup after each store found, field by field (all zero: none).
using Found = std::vector<std::array<int64_t, 6>>;

std::array<int64_t, 6> fieldsOf(const TableEntry* entry) {
  if (entry == nullptr) return {};
  return {static_cast<int64_t>(entry->key), entry->score, entry->bound, entry->depth, entry->priority, entry->move};
}

void replay(const std::vector<TableOp>& ops, std::size_t from, std::size_t to, Found& found) {
  for (std::size_t i = from; i < to; ++i) {
    const TableOp& op = ops[i];
    tableStore(op.key, op.score, op.bound, op.depth, op.priority, op.move);
    found.push_back(fieldsOf(tableLookup(op.probe)));
  }
}

Found finalLookups(const std::vector<TableOp>& ops) {
  Found found;
  for (const TableOp& op : ops) found.push_back(fieldsOf(tableLookup(op.key)));
  return found;
}

// While the big table is not in memory a game lives in the packed table, then
// in the big one once the packed table is full, and the warmer moves it over
// in steps (starting over when a decision came in between): at every point a
// lookup finds what the big table alone would hold.
TEST(PackedTable, AGameFindsWhatTheBigTableAloneWouldHold) {
  resetEngine();
  const std::vector<TableOp> ops = gameTraffic();
  const std::size_t half = ops.size() / 2;

  clearPositionTable();
  Found expected;
  replay(ops, 0, ops.size(), expected);
  const Found expectedFinal = finalLookups(ops);

  clearPositionTable();
  engine.tableResidentBuckets = 0;  // as in a new process
  preparePositionTableForDecision();
  ASSERT_EQ(engine.packedInUse, 1);
  Found found;
  replay(ops, 0, half, found);
  while (engine.packedMoved == 0 && warmPositionTableStep()) {
  }
  ASSERT_EQ(engine.packedInUse, 1) << "the move into the big table was to be under way, not done";
  preparePositionTableForDecision();  // the next decision of the game
  replay(ops, half, ops.size(), found);
  EXPECT_EQ(engine.packedFull, 1);
  EXPECT_TRUE(found == expected);

  warmPositionTableNow();
  EXPECT_EQ(engine.packedInUse, 0);
  EXPECT_TRUE(finalLookups(ops) == expectedFinal);
}

// Managers send max_memory and hash_size after START, when the warmer may
// already be at work on the full-size table: it brings in no more than the
// caps allow, and the decision that fits the table to them hands back the rest.
TEST(TableWarmer, KeepsToTheMemoryCapsBeforeAndAfterTheTableIsFitted) {
  resetEngine();
  engine.tableResidentBuckets = 0;
  engine.tableIndexMask = kTableIndexMask;
  engine.memoryCap = 64000000;
  const std::size_t capped = tableBucketsFor(0, 64000000);
  ASSERT_LT(capped, kTableBuckets);
  warmPositionTableNow();
  EXPECT_EQ(engine.tableResidentBuckets, capped);
  engine.memoryCap = 0;
  engine.hashSizeKiB = 1024;
  preparePositionTableForDecision();
  EXPECT_EQ(positionTableBuckets(), tableBucketsFor(1024, 0));
  EXPECT_EQ(engine.tableResidentBuckets, positionTableBuckets());
  resetSettings();
  preparePositionTableForDecision();
  EXPECT_EQ(positionTableBuckets(), kTableBuckets);
}

}  // namespace
}  // namespace quenvik
