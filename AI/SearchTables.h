// Move-ordering weights of the principal search, indexed by cellRank (0..91).
#pragma once

#include <array>

#include "core/EngineState.h"

namespace quenvik {

using RankScores = std::array<int, kMaxRank + 1>;

// Value of a cell for the side to move. Rank 0 (forbidden to Black) is far
// below anything a defence value can lift; a five point reaches 1000000.
inline constexpr RankScores candidateAttack = {
    // 0
    -100000,
    // 1..3
    0, 0, 0,
    // 4..10
    1, 1, 2, 1, 1, 2, 2,
    // 11..21
    4, 4, 5, 5, 8, 5, 5, 6, 6, 9, 10,
    // 22..36
    5, 5, 6, 6, 9, 10, 10, 10, 10, 11, 11, 14, 15, 15, 20,
    // 37..55
    12, 12, 13, 13, 16, 17, 17, 22, 100, 12, 12, 13, 13, 16, 17, 17, 22, 100, 100,
    // 56..66
    16, 16, 17, 17, 20, 21, 21, 26, 3000, 3000, 4000,
    // 67..78
    6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000,
    // 79..91
    1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000, 1000000,
    1000000};

// Value of a cell for blocking the opponent, by the opponent's rank.
inline constexpr RankScores candidateDefence = {
    // 0
    100,
    // 1..10
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 11..21
    1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 2,
    // 22..36
    1, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 2, 2, 2, 2,
    // 37..55
    6, 6, 6, 6, 7, 7, 7, 7, 27, 7, 7, 7, 7, 8, 8, 8, 8, 28, 29,
    // 56..66
    11, 11, 11, 11, 12, 12, 12, 12, 1200, 1201, 1400,
    // 67..78
    1500, 1500, 1500, 1500, 1501, 1501, 1501, 1501, 1506, 1507, 1511, 2000,
    // 79..91
    50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000, 50000};

// Offset on the score of a forcing move (a four or an open three of the
// mover's), by the mover's own cellLevel at the cell.
constexpr int forcingPenaltyOf(int level) { return level == 4 ? 3 : level == 3 ? 2 : 0; }

}  // namespace quenvik
