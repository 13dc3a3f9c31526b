// Rule facts about single moves of a game, for analyse and play.
#pragma once

#include <string>
#include <vector>

#include "tools/quenvik/Records.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

// True when `move`, played by the side to move after position.moves, makes
// a five that wins under the position's rule (exactly five under exact
// five, and for Black under Renju; five or more otherwise; under Caro not a
// row of exactly five whose two end cells hold the opponent's stones).
bool makesFive(const Position& position, Move move);

// True when the move makes a five that only the Caro rule refuses: exactly
// five in a row between two of the opponent's stones.
bool makesFlankedFive(const Position& position, Move move);

// Under Renju with Black to move: the kind of foul ("double-three",
// "double-four", "overline") of the empty cell, or "" when it is allowed.
// Always "" under the other rules or with White to move.
std::string forbiddenKindOf(const Position& position, Move move);

// Every cell forbidden to Black in the position (Renju, Black to move).
std::vector<Move> forbiddenCells(const Position& position);

}  // namespace quenvik::tool
