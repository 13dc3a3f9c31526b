// Threat-space search: forced wins by continuous fours.
#pragma once

#include <cstdint>

namespace quenvik {

// Root form: can `attacker` (+1 or -1), moving now on engine.board, force
// five by continuous fours? Returns a winning first MoveNumber, N*N (no such
// win within the depth limit, proven) or N*N + 1 (none found). A request of 8
// searches to depth 5, any other request r to min(r, 4).
int threatSearch(int32_t attacker, int request);

// Non-root form on the threat board, with remaining depth.
int threatSearchNode(int32_t attacker, int depth);

}  // namespace quenvik
