// Starting a new game on the engine side.
#pragma once

namespace quenvik {

// New game keys, then an empty position hash table, so no entry of an
// earlier game can ever be found.
void newGame();

}  // namespace quenvik
