// What an analysis block says of a score and a root move: the moves to a
// decided five, the win rate, and the expected line.
#pragma once

#include "think/Reporter.h"

namespace quenvik {

// Scale of the win-rate curve w = 1 / (1 + exp(-score / s)), fitted by
// tools/fit-winrate on the engine's own self-play games (see README).
constexpr double kWinRateScale = 15.0;

// Whether the score says the game is decided (a forced five for one side).
constexpr bool scoreIsDecided(int score) { return score >= kDecidedScore || score <= -kDecidedScore; }

// Moves of the winning side up to and including its five, for a decided
// score: a win found at ply p scores 20000 - p (the loser's view is its
// negation), and the winner moves at plies p, p - 2, ... down to its first.
int movesToFive(int score);

// The decided score of a win by `moves` moves of the side to move: the
// inverse of movesToFive.
constexpr int scoreOfWinIn(int moves) { return kWinScore - 2 * (moves - 1); }

// Expected result for the side to move, 0..1: 1 or 0 when decided.
double winRate(int score);

// The line from root move `first` (a MoveNumber) on the engine board: the
// move, then the position table's best replies while they stand on empty
// cells. Writes protocol coordinates; returns the length (at most
// kMaxBestLine). The board and its key are unchanged on return.
int bestLineFrom(int first, int* lineX, int* lineY);

}  // namespace quenvik
