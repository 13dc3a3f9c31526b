// The engine side of a game: new games, the hash table, and what the record's
// position holds for a GUI.
#pragma once

#include <cstdint>

namespace quenvik {

// New game keys, then an empty position hash table, so no entry of an
// earlier game can ever be found.
void newGame();

// Empties the position hash table, as a new game does (YXHASHCLEAR).
void clearHashTable();

// From the first game on, the position table is made ready in the background
// while the engine waits for commands; stopping waits for the work in hand,
// one short step, and comes before the process ends.
void startWarmingTable();
void stopWarmingTable();

// log2 of the largest position table in KiB.
int largestTableKiBLog2();

// The empty cells forbidden to Black under Renju on the record's position
// (whole board), as CellIndex values in MoveNumber order (row by row);
// none when Renju is off or White is to move. Sets up the engine board, so
// only while no decision runs. Returns the count.
int forbiddenPointsOfRecord(int32_t* cells);

}  // namespace quenvik
