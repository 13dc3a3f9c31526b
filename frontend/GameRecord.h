// The game record in protocol cell codes, the game keys, the search window
// and the set-up of the engine board from the record.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Draws new game keys from the calling thread's generator (4010 draws).
void makeGameKeys();

// New game: new keys, then an empty position hash table.
void newGame();

// A stone of a BOARD block: its CellIndex and whether it is the engine's own.
struct BlockStone {
  int32_t cellIndex;
  bool own;
};

// Maps a BOARD block onto the record: with as many own as opposing stones the
// engine is the first player, with one opposing stone more the second. Returns
// false, writing nothing, when the counts fit neither case.
bool recordFromBlock(const BlockStone* stones, int count, int32_t* recordMoves, int32_t* recordCount);

// The square the engine searches, in protocol coordinates.
struct SearchSquare {
  int originX;
  int originY;
  int size;  // N
};

// Window of side N around the record's stones, grown to a square inside the
// board. The record must hold at least one move.
SearchSquare searchWindow(const int32_t* recordMoves, int recordCount, int gameSize);

// The whole board, or the window when the whole-board setting is off.
SearchSquare chooseSearchSquare();

// Sets up engine.board, boardSize and stoneCount from the record and rebuilds
// the pattern state.
void setUpEngineBoard(const SearchSquare& square);

// XOR of the game keys of every stone on the engine board.
uint64_t computePositionKey();

}  // namespace quenvik
