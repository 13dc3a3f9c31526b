// Static evaluation of a position.
#pragma once

#include <cstdint>

namespace quenvik {

// Value of the position for the colour x that has just moved, from the
// current pattern state. parity only alternates down the recursion.
double evaluatePosition(int32_t x, int parity = 1);

}  // namespace quenvik
