// The position hash table: 2^23 buckets of two entries, kept across the
// decisions of one game.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Empties the table (new game). The zeroing itself waits for the next lookup
// or store, and covers only the buckets written through tableStore.
void clearPositionTable();

// The first slot of the key's bucket whose key equals it, or nullptr.
const TableEntry* tableLookup(uint64_t key);

// Writes an entry: slot 1 when slot 0 is used and has a higher priority,
// otherwise slot 0.
void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move);

}  // namespace quenvik
