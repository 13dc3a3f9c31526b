// Placeholder until the pattern and rules code lands.
#include "rules/Fallback.h"
#include "rules/Patterns.h"
#include "rules/Renju.h"

namespace quenvik {
int32_t classifyLine(const int32_t*, int) { return 0; }
void updateDirection(int, int, int) {}
void summarizeCell(int, int) {}
void updatePatterns() {}
void rebuildPatterns() {}
int forbiddenKind(LineViews&, int, int) { return 0; }
int32_t scoreCell(int, int, int32_t) { return 0; }
int fallbackMove() { return -1; }
}  // namespace quenvik
