// Static evaluation of a position.
#pragma once

#include <cstdint>

namespace quenvik {

// Value of the position for the colour x that has just moved, from the
// current pattern state.
double evaluatePosition(int32_t x);

}  // namespace quenvik
