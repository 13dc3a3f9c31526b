// Renju forbidden moves for Black.
#pragma once

#include "core/EngineState.h"

namespace quenvik {

enum ForbiddenKind : int { Allowed = 0, DoubleThree = 1, DoubleFour = 2, OverlineKind = 3 };

// Whether a Black stone on (a, b) of views is forbidden, and of which kind.
// views is unchanged on return.
int forbiddenKind(LineViews& views, int a, int b);

}  // namespace quenvik
