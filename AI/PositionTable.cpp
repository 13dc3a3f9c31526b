#include "AI/PositionTable.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
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
  if (buckets == positionTableBuckets()) return;
  // Entries sit at key & mask, so a new mask would strand them: start empty,
  // which also hands back every page of the old size.
  engine.tableIndexMask = buckets - 1;
  clearPositionTable();
}

const TableEntry* tableLookup(uint64_t key) {
  const TableBucket& bucket = engine.positionTable[key & engine.tableIndexMask];
  if (bucket.slot[0].key == key) return &bucket.slot[0];
  if (bucket.slot[1].key == key) return &bucket.slot[1];
  return nullptr;
}

void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move) {
  TableBucket& bucket = engine.positionTable[key & engine.tableIndexMask];
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
