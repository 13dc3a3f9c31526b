#include "AI/PositionTable.h"

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
  if (engine.tableLogCount > kTableLogCapacity) {
    std::memset(engine.positionTable, 0, kTableBytes);
  } else {
    for (uint32_t i = 0; i < engine.tableLogCount; ++i) engine.positionTable[engine.tableLog[i]] = TableBucket{};
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

}  // namespace

void clearPositionTable() { engine.tableReady = 0; }

const TableEntry* tableLookup(uint64_t key) {
  settleTable();
  const TableBucket& bucket = engine.positionTable[key & kTableIndexMask];
  if (bucket.slot[0].key == key) return &bucket.slot[0];
  if (bucket.slot[1].key == key) return &bucket.slot[1];
  return nullptr;
}

void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move) {
  settleTable();
  const uint64_t index = key & kTableIndexMask;
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
