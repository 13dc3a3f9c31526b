#include "AI/PositionTable.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace quenvik {

namespace {

void zeroBytes(unsigned char* begin, unsigned char* end) {
  if (end > begin) std::memset(begin, 0, static_cast<std::size_t>(end - begin));
}

}  // namespace

// Handing the whole pages back to the kernel zeroes them as surely as
// writing zeros, in a fraction of the time, and the table only takes memory
// again as a game fills it. Ragged ends, and a kernel that refuses, get
// plain writes.
void clearPositionTable() {
  unsigned char* const begin = reinterpret_cast<unsigned char*>(engine.positionTable);
  unsigned char* const end = begin + kTableBytes;
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  unsigned char* const firstPage =
      reinterpret_cast<unsigned char*>((reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page);
  unsigned char* const lastPage = reinterpret_cast<unsigned char*>(reinterpret_cast<std::uintptr_t>(end) / page * page);
  if (lastPage <= firstPage || madvise(firstPage, static_cast<std::size_t>(lastPage - firstPage), MADV_DONTNEED) != 0) {
    zeroBytes(begin, end);
    return;
  }
  zeroBytes(begin, firstPage);
  zeroBytes(lastPage, end);
}

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
