// The threat search's own board and its four detection.
//
// threatBoard keeps every line through a cell contiguous, so a trial stone
// costs four slot writes and each question below reads whole lines.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Detector words of scanFours and foursAt: 0 no five-completion point;
// cell | kOneFourPoint exactly one; kManyFourPoints or more two or more (the
// defender cannot stop them with one stone). The cell is the low 16 bits.
constexpr int kOneFourPoint = 0x10000;
constexpr int kManyFourPoints = 0x1000000;
constexpr int kFourCellMask = 0xFFFF;

// Copies engine.board into threatBoard.
void rebuildThreatBoard();

// Writes colour (0 to take a stone back) into the four slots of (row, col).
void setThreatCell(int row, int col, int32_t colour);

inline int32_t threatCell(int row, int col) { return engine.threatBoard.slots[kRowsBase + kGridWidth * row + col]; }

// Five-completion points of colour c over the whole of threatBoard.
int scanFours(int32_t colour);

// Five-completion points made by the stone standing on (row, col).
int foursAt(int row, int col);

// Whether a stone of colour on the empty cell (row, col) could make a four or
// a straight four at all: false when no line through it has three stones of
// colour within four cells.
bool couldMakeFour(int row, int col, int32_t colour);

// Whether the stone standing on (row, col) is part of a straight four.
bool openFourAt(int row, int col);

// Whether the stone at position p of the padded line is part of a straight
// four: four in a row whose two ends each complete a five.
bool isStraightFour(const int32_t* line, int p);

}  // namespace quenvik
