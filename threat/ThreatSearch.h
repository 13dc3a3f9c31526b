// Threat-space search: forced wins by continuous fours.
#pragma once

#include <cstdint>

namespace quenvik {

// The depth limit a request asks for: 8 (the side to move's own win) asks
// for 5, any other request r >= 0 for min(r, 4); 0 searches nothing.
constexpr int threatDepthLimit(int request) { return request == 8 ? 5 : (request < 4 ? request : 4); }

// The limits a decision searches with: its own win, the opponent's.
constexpr int kOwnWinDepthLimit = threatDepthLimit(8);
constexpr int kOpponentWinDepthLimit = threatDepthLimit(7);

// Root form: can `attacker` (+1 or -1), moving now on engine.board, force
// five by continuous fours within depthLimit forced exchanges? Returns a
// winning first MoveNumber, N*N (no such win within the limit, proven) or
// N*N + 1 (none found).
int threatSearch(int32_t attacker, int depthLimit);

// Non-root form on the threat board, with remaining depth.
int threatSearchNode(int32_t attacker, int depth);

}  // namespace quenvik
