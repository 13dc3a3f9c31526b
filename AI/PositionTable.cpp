#include "AI/PositionTable.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "core/Platform.h"

namespace quenvik {

namespace {

// A packed index word: (bucket index + 1) << 32 | packed slot; 0 is free.
constexpr int kPackedTagShift = 32;
constexpr uint64_t kPackedSlotBits = 0xFFFFFFFFu;
// The index in use starts small and doubles whenever it would be more than
// half full: its pages then come into memory as the packed table fills, not
// all in the first milliseconds of a new process.
constexpr int kPackedIndexFirstLog2 = 12;
static_assert((std::size_t{1} << kPackedIndexFirstLog2) <= kPackedIndexSlots);

// The warmer works in steps this short, so a decision that starts waits for
// little: one huge page brought in, or as many buckets cleared or moved.
constexpr std::size_t kStepBytes = std::size_t{2} << 20;
constexpr std::size_t kStepBuckets = kStepBytes / sizeof(TableBucket);
constexpr std::size_t kStepListEntries = 16384;

// The warmer thread; started and stopped by the front end's thread only.
std::thread warmer;
bool warmerRunning = false;

// ---------------------------------------------------------------------------
// Clearing
// ---------------------------------------------------------------------------

// The packed table forgets the game; the index words of its slots are
// zeroed before its next use.
void endPackedUse() {
  engine.packedMoved = 0;
  engine.packedInUse = 0;
  engine.packedFull = 0;
}

void beginClear() {
  engine.tableReady = 0;
  engine.tableClearProgress = 0;
  endPackedUse();
}

// New games asked for by the front end while the warmer runs.
void applyClearRequests() {
  const uint32_t requested = engine.tableClearRequests.load();
  if (requested == engine.tableClearsApplied) return;
  engine.tableClearsApplied = requested;
  beginClear();
}

// Zeroes what the last game wrote, the next step of it or (whole) all that
// is left. The pages stay with the process: handing them back would only make
// the next game wait for them again. True when the clear is complete.
bool clearStep(bool whole) {
  const std::size_t buckets = positionTableBuckets();
  std::size_t& progress = engine.tableClearProgress;
  if (engine.tableLogCount > kTableLogCapacity) {
    // Too many buckets to list: the whole table.
    const std::size_t end = whole ? buckets : std::min(buckets, progress + kStepBuckets);
    std::memset(static_cast<void*>(engine.positionTable + progress), 0, (end - progress) * sizeof(TableBucket));
    progress = end;
    if (end < buckets) return false;
  } else {
    // Buckets beyond a smaller size were zeroed when it shrank.
    const std::size_t end =
        whole ? engine.tableLogCount : std::min<std::size_t>(engine.tableLogCount, progress + kStepListEntries);
    for (std::size_t i = progress; i < end; ++i) {
      if (engine.tableLog[i] < buckets) engine.positionTable[engine.tableLog[i]] = TableBucket{};
    }
    progress = end;
    if (end < engine.tableLogCount) return false;
  }
  engine.tableLogCount = 0;
  progress = 0;
  engine.tableReady = 1;
  return true;
}

const TableEntry* entryOf(const TableBucket& bucket, uint64_t key) {
  if (bucket.slot[0].key == key) return &bucket.slot[0];
  if (bucket.slot[1].key == key) return &bucket.slot[1];
  return nullptr;
}

void settleTable() {
  if (engine.tableReady == 0) [[unlikely]]
    clearStep(true);
}

// A bucket's first store goes to slot 0, so an empty slot 0 means the bucket
// is clean until now.
void noteFirstWrite(uint64_t index) {
  if (engine.tableLogCount < kTableLogCapacity) engine.tableLog[engine.tableLogCount] = static_cast<uint32_t>(index);
  if (engine.tableLogCount <= kTableLogCapacity) engine.tableLogCount += 1;
}

// Buckets [from, to) that a smaller table stops using must read as empty if
// it grows again. What the warmer brought in, and the whole part when too
// many buckets were written to list, is zeroed with its pages handed back
// where the system allows; otherwise only the written buckets are zeroed, so
// a table capped before its first use touches none of them.
void releaseBuckets(std::size_t from, std::size_t to) {
  if (engine.tableLogCount > kTableLogCapacity) {
    zeroLargeBlock(engine.positionTable + from, (to - from) * sizeof(TableBucket));
    return;
  }
  const std::size_t residentEnd = std::clamp(engine.tableResidentBuckets, from, to);
  if (residentEnd > from) zeroLargeBlock(engine.positionTable + from, (residentEnd - from) * sizeof(TableBucket));
  for (uint32_t i = 0; i < engine.tableLogCount; ++i) {
    if (engine.tableLog[i] >= residentEnd && engine.tableLog[i] < to)
      engine.positionTable[engine.tableLog[i]] = TableBucket{};
  }
}

// ---------------------------------------------------------------------------
// The packed table: slots handed out in order, so the pages it needs come in
// one after another instead of all over the big table; an open-addressed
// index at most half full finds a bucket's slot.
// ---------------------------------------------------------------------------

uint64_t packedTag(uint64_t index) { return (index + 1) << kPackedTagShift; }

std::size_t packedIndexWords() { return std::size_t{1} << engine.packedIndexLog2; }

// The index word that holds the bucket, or the free one where it would go.
std::size_t packedIndexOf(uint64_t index) {
  const uint64_t tag = packedTag(index);
  const std::size_t mask = packedIndexWords() - 1;
  std::size_t at = index & mask;
  while (engine.packedIndex[at] != 0 && (engine.packedIndex[at] & ~kPackedSlotBits) != tag) at = (at + 1) & mask;
  return at;
}

// Twice the index words, every slot entered again in slot order.
void growPackedIndex() {
  engine.packedIndexLog2 += 1;
  std::memset(engine.packedIndex, 0, packedIndexWords() * sizeof(uint64_t));
  for (uint32_t slot = 0; slot < engine.packedCount; ++slot) {
    const uint32_t index = engine.packedOrigins[slot];
    engine.packedIndex[packedIndexOf(index)] = packedTag(index) | slot;
  }
}

TableBucket* packedBucketAt(std::size_t at) { return &engine.packedBuckets[engine.packedIndex[at] & kPackedSlotBits]; }

const TableBucket* findPacked(uint64_t index) {
  const std::size_t at = packedIndexOf(index);
  return engine.packedIndex[at] == 0 ? nullptr : packedBucketAt(at);
}

// The packed bucket to write, a new slot when the bucket has none yet;
// nullptr when the packed table is full.
TableBucket* packedBucketForStore(uint64_t index) {
  std::size_t at = packedIndexOf(index);
  if (engine.packedIndex[at] != 0) return packedBucketAt(at);
  if (engine.packedCount == kPackedBuckets) return nullptr;
  if (2 * (std::size_t{engine.packedCount} + 1) > packedIndexWords()) {
    growPackedIndex();
    at = packedIndexOf(index);
  }
  const uint32_t slot = engine.packedCount++;
  engine.packedIndex[at] = packedTag(index) | slot;
  engine.packedOrigins[slot] = static_cast<uint32_t>(index);
  engine.packedBuckets[slot] = TableBucket{};
  return &engine.packedBuckets[slot];
}

// Zeroes the index words of the slots handed out, newest first: a word's
// probe run only crosses words set before it, so each is still found. The
// pages stay, for the next game that needs the packed table.
void forgetPackedSlots() {
  while (engine.packedCount != 0) {
    engine.packedCount -= 1;
    engine.packedIndex[packedIndexOf(engine.packedOrigins[engine.packedCount])] = 0;
  }
  engine.packedIndexLog2 = kPackedIndexFirstLog2;
}

// A game keeps its buckets in the packed table when the big one is larger,
// holds nothing of this game, and is not ready: not all in memory, or the
// last game's clear not done yet. The decision then waits for neither.
void choosePackedUse() {
  if (engine.packedInUse != 0) {
    // The search may now rewrite buckets the warmer had already copied:
    // their move starts over.
    engine.packedMoved = 0;
    return;
  }
  const std::size_t buckets = positionTableBuckets();
  const bool gameInBigTable = engine.tableReady != 0 && engine.tableLogCount != 0;
  const bool bigTableReady = engine.tableReady != 0 && engine.tableResidentBuckets >= buckets;
  if (gameInBigTable || bigTableReady || buckets <= kPackedBuckets) return;
  forgetPackedSlots();
  engine.packedInUse = 1;
}

// Copies the next packed buckets into the (clean, resident) big table; the
// packed table is done with once all are there. Packed and big-table buckets
// of a game never overlap: a bucket stays where its first store put it. A
// copy made again (the move started over) is not listed twice.
void moveStep() {
  const uint32_t end = std::min<uint32_t>(engine.packedCount, engine.packedMoved + kStepListEntries);
  for (uint32_t slot = engine.packedMoved; slot < end; ++slot) {
    const uint32_t index = engine.packedOrigins[slot];
    if (engine.positionTable[index].slot[0].bound == EmptySlot) noteFirstWrite(index);
    engine.positionTable[index] = engine.packedBuckets[slot];
  }
  engine.packedMoved = end;
  if (end == engine.packedCount) endPackedUse();
}

// ---------------------------------------------------------------------------
// Bringing the big table into memory
// ---------------------------------------------------------------------------

// The warmer does not run ahead of caps set after the last decision.
std::size_t residentTarget() {
  return std::min(positionTableBuckets(), tableBucketsFor(engine.hashSizeKiB.load(), engine.memoryCap.load()));
}

// Writes to a word without changing it: an atomic or with 0, which the
// compiler may not drop. The builtin, because the web build's C++ library
// has no std::atomic_ref.
void touchWord(uint64_t& word) { __atomic_fetch_or(&word, uint64_t{0}, __ATOMIC_RELAXED); }

// Writes to every page of the buckets without changing them.
void touchPages(TableBucket* first, std::size_t count) {
  const std::size_t bucketsPerPage = std::max<std::size_t>(1, systemPageBytes() / sizeof(TableBucket));
  for (std::size_t i = 0; i < count; i += bucketsPerPage) touchWord(first[i].slot[0].key);
  touchWord(first[count - 1].slot[0].key);
}

// Brings the next part of the table into memory, up to a huge-page boundary;
// false when all of it is in.
bool residentStep() {
  const std::size_t target = residentTarget();
  const std::size_t from = engine.tableResidentBuckets;
  if (from >= target) return false;
  if (engine.tableAdvised == 0) {
    // Pages the search touches before the warmer gets there come one small
    // page at a time: a huge page would make the search wait for all of it.
    adviseAgainstHugePages(engine.positionTable, kTableBytes);
    engine.tableAdvised = 1;
  }
  const auto address = reinterpret_cast<std::uintptr_t>(engine.positionTable + from);
  const std::size_t toBoundary = (kStepBytes - address % kStepBytes) / sizeof(TableBucket);
  const std::size_t end = std::min(target, from + toBoundary);
  TableBucket* const first = engine.positionTable + from;
  const std::size_t bytes = (end - from) * sizeof(TableBucket);
  adviseHugePages(first, bytes);
  if (!populatePages(first, bytes)) touchPages(first, end - from);
  engine.tableResidentBuckets = end;
  return true;
}

// One short piece of the work the table waits for; false when there is none.
bool warmStep() {
  applyClearRequests();
  if (engine.tableReady == 0) {
    clearStep(false);
    return true;
  }
  if (engine.packedCount != 0 && engine.packedInUse == 0) {
    forgetPackedSlots();
    return true;
  }
  if (residentStep()) return true;
  if (engine.packedInUse != 0) {
    moveStep();
    return true;
  }
  return false;
}

void signalWarmer() {
  engine.tableWarmerSignal.fetch_add(1);
  wakeWaiters(engine.tableWarmerSignal);
}

// The warmer's side of the hand-over: a step starts only while no decision
// owns the table (sequentially consistent stores and loads: of the two sides,
// at least one sees the other).
bool beginWarmerStep() {
  engine.tableWarmerBusy.store(1);
  if (engine.tableClaimed.load() == 0) return true;
  engine.tableWarmerBusy.store(0);
  wakeWaiters(engine.tableWarmerBusy);
  return false;
}

void endWarmerStep() {
  engine.tableWarmerBusy.store(0);
  wakeWaiters(engine.tableWarmerBusy);
}

// A manager sends a game's settings right after START: the warmer gives
// them this long to arrive, so it never brings in more than the memory caps
// allow.
constexpr auto kSettingsGrace = std::chrono::milliseconds(20);

void warmerMain() {
  std::this_thread::sleep_for(kSettingsGrace);
  for (;;) {
    const int32_t signal = engine.tableWarmerSignal.load();
    if (engine.tableWarmerQuit.load() != 0) return;
    bool worked = false;
    if (beginWarmerStep()) {
      worked = warmStep();
      endWarmerStep();
    }
    if (!worked) waitWhileEquals(engine.tableWarmerSignal, signal);
  }
}

}  // namespace

void clearPositionTable() {
  if (warmerRunning) {
    engine.tableClearRequests.fetch_add(1);
    signalWarmer();
    return;
  }
  beginClear();
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
  const std::size_t before = positionTableBuckets();
  if (buckets == before) return;
  if (buckets < before) releaseBuckets(buckets, before);
  // Entries sit at key & mask, so a new mask would strand them: start empty.
  engine.tableIndexMask = buckets - 1;
  engine.tableResidentBuckets = std::min(engine.tableResidentBuckets, buckets);
  beginClear();
}

void preparePositionTableForDecision() {
  applyClearRequests();
  fitPositionTableToCaps();
  choosePackedUse();
}

const TableEntry* tableLookup(uint64_t key) {
  const uint64_t index = key & engine.tableIndexMask;
  if (engine.packedInUse != 0) {
    const TableBucket* packed = findPacked(index);
    if (packed != nullptr) return entryOf(*packed, key);
    // Until the packed table fills up, the big table holds nothing of this game.
    if (engine.packedFull == 0) return nullptr;
  }
  settleTable();
  return entryOf(engine.positionTable[index], key);
}

void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move) {
  const uint64_t index = key & engine.tableIndexMask;
  TableBucket* bucket = nullptr;
  if (engine.packedInUse != 0) {
    bucket = packedBucketForStore(index);
    if (bucket == nullptr) engine.packedFull = 1;
  }
  if (bucket == nullptr) {
    settleTable();
    bucket = &engine.positionTable[index];
    if (bucket->slot[0].bound == EmptySlot) noteFirstWrite(index);
  }
  const TableEntry& first = bucket->slot[0];
  TableEntry& target =
      (first.bound != EmptySlot && static_cast<int>(first.priority) > priority) ? bucket->slot[1] : bucket->slot[0];
  target.key = key;
  target.score = static_cast<int16_t>(score);
  target.bound = static_cast<uint8_t>(bound);
  target.depth = static_cast<uint8_t>(depth);
  target.priority = static_cast<uint16_t>(priority);
  target.move = static_cast<int16_t>(move);
}

void startTableWarmer() {
  if (warmerRunning) return;
  engine.tableWarmerQuit = 0;
  warmerRunning = true;
  warmer = std::thread(warmerMain);
}

void stopTableWarmer() {
  if (!warmerRunning) return;
  engine.tableWarmerQuit = 1;
  signalWarmer();
  warmer.join();
  warmerRunning = false;
  // The table is its caller's again, with the new games asked for meanwhile.
  applyClearRequests();
}

void claimPositionTable() {
  engine.tableClaimed.store(1);
  for (int32_t busy = engine.tableWarmerBusy.load(); busy != 0; busy = engine.tableWarmerBusy.load()) {
    waitWhileEquals(engine.tableWarmerBusy, busy);
  }
}

void releasePositionTable() {
  engine.tableClaimed.store(0);
  signalWarmer();
}

bool warmPositionTableStep() { return warmStep(); }

void warmPositionTableNow() {
  while (warmStep()) {
  }
}

}  // namespace quenvik
