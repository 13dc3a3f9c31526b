// The analysis tool's subcommands. Each takes the arguments after its name
// and returns the process exit status; a refused argument is a UsageError.
#pragma once

#include <string>
#include <vector>

namespace quenvik::tool {

using Args = std::vector<std::string>;

int commandForbidden(const Args& args);
int commandPatterns(const Args& args);
int commandEval(const Args& args);
int commandSearch(const Args& args);
int commandVcf(const Args& args);
int commandThink(const Args& args);
int commandBench(const Args& args);
int commandAnalyse(const Args& args);
int commandPlay(const Args& args);

}  // namespace quenvik::tool
