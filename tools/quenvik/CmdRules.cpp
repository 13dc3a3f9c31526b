// Placeholder until this subcommand lands.
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {
int commandForbidden(const Args&) { throw UsageError("subcommand not available yet"); }
int commandPatterns(const Args&) { throw UsageError("subcommand not available yet"); }
}  // namespace quenvik::tool
