// Reading a position block (BOARD, YXBOARD, SWAP2BOARD): stone lines up to
// the DONE line, with the same limits and refusals for every kind of block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "frontend/GameRecord.h"

namespace quenvik {

enum class BlockRead { Done, InputEnded };

// Reads one stone line of a block: its cell and whether it is the engine's
// own stone. False when the line is unreadable.
using StoneLineReader = bool (*)(std::string_view line, int32_t& x, int32_t& y, bool& own);

// The stones of a block in the order sent; `failed` when any line could not
// be used.
struct StoneBlock {
  BlockStone stones[kMaxBoardBlockStones];
  int count = 0;
  bool failed = false;
};

// Reads lines up to the block's DONE line (a line beginning with D or d).
// Blank lines are skipped. A line too long, unreadable, off a board of side
// `boardSize`, on a cell the block already gave, or beyond the block's
// capacity fails the block; the lines after it are read all the same, so the
// whole block is consumed. InputEnded when the input ends before DONE.
BlockRead readStoneBlock(std::FILE* input, int boardSize, StoneLineReader readStone, StoneBlock& block);

}  // namespace quenvik
