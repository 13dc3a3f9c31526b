// Placeholder until the evaluation lands.
#include "Value/ValueW.h"

namespace quenvik {
double evaluatePosition(int32_t, int) { return 0.0; }
}  // namespace quenvik
