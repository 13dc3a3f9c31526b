// The position every search stands on: the game keys, the square the engine
// searches, the engine board set up from the game record, and its key.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Draws new game keys from the calling thread's generator (4010 draws).
void makeGameKeys();

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

// Whether a stone of `colour` on the empty cell (a, b) of engine.board makes
// a five that wins under the game's rule.
bool stoneMakesFive(int32_t colour, int a, int b);

// XOR of the game keys of every stone on the engine board.
uint64_t computePositionKey();

}  // namespace quenvik
