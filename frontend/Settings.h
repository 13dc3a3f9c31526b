// The INFO keys and the engine settings they set.
#pragma once

#include <cstdint>
#include <string_view>

namespace quenvik {

// Applies one INFO key with its value; unknown and ignored keys change
// nothing.
void applyInfo(std::string_view key, int32_t value);

}  // namespace quenvik
