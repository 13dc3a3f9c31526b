// The position hash table: up to 2^23 buckets of two entries, kept across
// the decisions of one game.
//
// The system supplies the table's 256 MiB page by page as they are first
// written, at about a microsecond a page: a search writing into a table whose
// pages are not yet in memory spends much of a short decision waiting. So a
// background warmer brings the pages in while the engine waits for commands,
// and until they are all in, a game keeps its buckets in a small packed table
// instead: the same buckets, filled and replaced the same way, so a search
// sees exactly the same entries either way. The warmer moves them into the
// big table once it is ready.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Empties the table (new game). The zeroing itself is done by the warmer
// while the engine waits, or else by the next use, and covers only the
// buckets written since the last clear.
void clearPositionTable();

// Bytes the rest of the process may take at its peak besides the table (the
// packed table included): a max_memory cap keeps this much room.
constexpr std::size_t kProcessReserveBytes = std::size_t{24} << 20;

// The largest power-of-two bucket count, at most 2^23 and at least 2^12,
// whose table fits both caps (hash_size in KiB, max_memory in bytes, 0 or
// less for none).
std::size_t tableBucketsFor(int64_t hashSizeKiB, int64_t memoryCapBytes);

// Gives the table the size the current caps allow. A changed size starts
// empty, and the pages it no longer uses go back to the system. Called when
// a decision starts, never during a search.
void fitPositionTableToCaps();

// Everything a decision needs of the table before its search: the size the
// caps allow, a pending clear applied, and the packed table chosen while
// the big one is not in memory yet. The caller owns the table.
void preparePositionTableForDecision();

// Buckets in use now.
inline std::size_t positionTableBuckets() { return static_cast<std::size_t>(engine.tableIndexMask) + 1; }

// The first slot of the key's bucket whose key equals it, or nullptr.
const TableEntry* tableLookup(uint64_t key);

// Writes an entry: slot 1 when slot 0 is used and has a higher priority,
// otherwise slot 0.
void tableStore(uint64_t key, int score, int bound, int depth, int priority, int move);

// The warmer: a background thread that, while no decision runs, finishes
// clears, brings the table's pages into memory (as huge pages where the
// system has them) and moves a packed game into the big table. The front
// end starts it with the first game and stops it before the process ends;
// without it, the table's user does that work itself when it needs it.
void startTableWarmer();
void stopTableWarmer();

// A decision owns the table from claim to release: the claim waits for the
// warmer's step in progress, at most one short step.
void claimPositionTable();
void releasePositionTable();

// One short step of the warmer's work, done by the caller (who owns the
// table and runs no warmer); false when there is nothing left to do.
bool warmPositionTableStep();

// All of it, here and now.
void warmPositionTableNow();

}  // namespace quenvik
