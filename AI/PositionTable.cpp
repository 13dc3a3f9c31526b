#include "AI/PositionTable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/Platform.h"

namespace quenvik {

namespace {

// Zeroes what the last game wrote. The pages stay with the process: handing
// them back would only make the next game fault them in again, one by one.
void prepareTable() {
  if (engine.tableHugePagesAdvised == 0) {
    // Before the first store faults any page in; here rather than at START,
    // which must answer at once.
    adviseHugePages(engine.positionTable, kTableBytes);
    engine.tableHugePagesAdvised = 1;
  }
  const std::size_t buckets = positionTableBuckets();
  if (engine.tableLogCount > kTableLogCapacity) {
    std::memset(engine.positionTable, 0, buckets * sizeof(TableBucket));
  } else {
    // Buckets beyond a smaller size were zeroed when it shrank.
    for (uint32_t i = 0; i < engine.tableLogCount; ++i) {
      if (engine.tableLog[i] < buckets) engine.positionTable[engine.tableLog[i]] = TableBucket{};
    }
  }
  engine.tableLogCount = 0;
  engine.tableReady = 1;
}

void settleTable() {
  if (engine.tableReady == 0) [[unlikely]]
    prepareTable();
}

// A bucket's first store goes to slot 0, so an empty slot 0 means the bucket
// is clean until now.
void noteFirstWrite(uint64_t index) {
  if (engine.tableLogCount < kTableLogCapacity) engine.tableLog[engine.tableLogCount] = static_cast<uint32_t>(index);
  if (engine.tableLogCount <= kTableLogCapacity) engine.tableLogCount += 1;
}

// Buckets [from, to) that a smaller table stops using must read as empty if
// it grows again. Only the written ones are zeroed, so a table capped before
// its first use touches none of them; when too many were written to list,
// the whole part is zeroed, its pages handed back where the system allows.
void releaseBuckets(std::size_t from, std::size_t to) {
  if (engine.tableLogCount > kTableLogCapacity) {
    zeroLargeBlock(engine.positionTable + from, (to - from) * sizeof(TableBucket));
    return;
  }
  for (uint32_t i = 0; i < engine.tableLogCount; ++i) {
    if (engine.tableLog[i] >= from && engine.tableLog[i] < to) engine.positionTable[engine.tableLog[i]] = TableBucket{};
  }
}

}  // namespace

void clearPositionTable() { engine.tableReady = 0; }

std::size_t tableBucketsFor(int64_t hashSizeKiB, int64_t memoryCapBytes) {
  int64_t allowedBytes = static_cast<int64_t>(kTableBytes);
  if (hashSizeKiB > 0) allowedBytes = std::min(allowedBytes, hashSizeKiB * 1024);
  if (memoryCapBytes > 0) allowedBytes = std::min(allowedBytes, memoryCapBytes - int64_t{kProcessReserveBytes});
  std::size_t buckets = kTableBuckets;
  while (buckets > kMinTableBuckets && static_cast<int64_t>(buckets * sizeof(TableBucket)) > allowedBytes) buckets /= 2;
  return buckets;
}

void fitPositionTableToCaps() {
  const std::size_t buckets = tableBucketsFor(engine.hashSizeKiB.load(), engine.memoryCap.load());
  const std::size_t before = positionTableBuckets();
  if (buckets == before) return;
  if (buckets < before) releaseBuckets(buckets, before);
  // Entries sit at key & mask, so a new mask would strand them: start empty.
  engine.tableIndexMask = buckets - 1;
  clearPositionTable();
}

const TableEntry* tableLookup(uint64_t key) {
  settleTable();
  const TableBucket& bucket = engine.positionTable[key & engine.tableIndexMask];
  if (bucket.slot[0].key == key) return &bucket.slot[0];
  if (bucket.slot[1].key == key) return &bucket.slot[1];
  return nullptr;
}

void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move) {
  settleTable();
  const uint64_t index = key & engine.tableIndexMask;
  TableBucket& bucket = engine.positionTable[index];
  const TableEntry& first = bucket.slot[0];
  if (first.bound == EmptySlot) noteFirstWrite(index);
  TableEntry& target =
      (first.bound != EmptySlot && static_cast<int>(first.priority) > priority) ? bucket.slot[1] : bucket.slot[0];
  target.key = key;
  target.score = static_cast<int16_t>(score);
  target.bound = static_cast<uint8_t>(bound);
  target.depth = static_cast<uint8_t>(depth);
  target.priority = static_cast<uint16_t>(priority);
  target.move = static_cast<int16_t>(move);
}

}  // namespace quenvik
