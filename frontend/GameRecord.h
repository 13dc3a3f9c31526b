// Mapping a BOARD block onto the game record.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// A stone of a BOARD block: its CellIndex and whether it is the engine's own.
struct BlockStone {
  int32_t cellIndex;
  bool own;
};

// Maps a BOARD block onto the record: with as many own as opposing stones the
// engine is the first player, with one opposing stone more the second. Returns
// false, writing nothing, when the counts fit neither case.
bool recordFromBlock(const BlockStone* stones, int count, int32_t* recordMoves, int32_t* recordCount);

}  // namespace quenvik
