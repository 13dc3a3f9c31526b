// The position hash table: up to 2^23 buckets of two entries, kept across
// the decisions of one game.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Empties the table (new game). The zeroing itself waits for the next lookup
// or store, and covers only the buckets written through tableStore.
void clearPositionTable();

// Bytes the rest of the process may take at its peak besides the table:
// a max_memory cap keeps this much room.
constexpr std::size_t kProcessReserveBytes = std::size_t{24} << 20;

// The largest power-of-two bucket count, at most 2^23 and at least 2^12,
// whose table fits both caps (hash_size in KiB, max_memory in bytes, 0 or
// less for none).
std::size_t tableBucketsFor(int64_t hashSizeKiB, int64_t memoryCapBytes);

// Gives the table the size the current caps allow. A changed size starts
// empty, and the pages it no longer uses go back to the system. Called when
// a decision starts, never during a search.
void fitPositionTableToCaps();

// Buckets in use now.
inline std::size_t positionTableBuckets() { return static_cast<std::size_t>(engine.tableIndexMask) + 1; }

// The first slot of the key's bucket whose key equals it, or nullptr.
const TableEntry* tableLookup(uint64_t key);

// Writes an entry: slot 1 when slot 0 is used and has a higher priority,
// otherwise slot 0.
void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move);

}  // namespace quenvik
