#include "AI/PositionTable.h"

#include "core/Platform.h"

namespace quenvik {

// A new game clears the table; the platform hands whole pages back where it
// can, so the table only takes memory again as a game fills it.
void clearPositionTable() { zeroLargeBlock(engine.positionTable, kTableBytes); }

const TableEntry* tableLookup(uint64_t key) {
  const TableBucket& bucket = engine.positionTable[key & kTableIndexMask];
  if (bucket.slot[0].key == key) return &bucket.slot[0];
  if (bucket.slot[1].key == key) return &bucket.slot[1];
  return nullptr;
}

void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move) {
  TableBucket& bucket = engine.positionTable[key & kTableIndexMask];
  const TableEntry& first = bucket.slot[0];
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
