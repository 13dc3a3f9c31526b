// The INFO keys and the engine settings they set.
#pragma once

#include <cstdint>
#include <string_view>

namespace quenvik {

// Applies one INFO key with its value; unknown and ignored keys change
// nothing.
void applyInfo(std::string_view key, int32_t value);

// min(timeLeft / divisor, turnTimeout) - 100 ms, held inside the 32-bit range
// instead of wrapping.
int32_t timeBudgetFor(int32_t timeLeft, int32_t turnTimeout, int32_t divisor);

}  // namespace quenvik
