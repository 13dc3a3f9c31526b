// quenvik: analysis of positions over the engine library.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const quenvik::tool::Args&);
};

constexpr Subcommand kSubcommands[] = {
    {"forbidden", quenvik::tool::commandForbidden},
    {"patterns", quenvik::tool::commandPatterns},
    {"eval", quenvik::tool::commandEval},
    {"search", quenvik::tool::commandSearch},
    {"vcf", quenvik::tool::commandVcf},
    {"think", quenvik::tool::commandThink},
    {"bench", quenvik::tool::commandBench},
};

constexpr int kUsageStatus = 2;

int usage(const std::string& message) {
  std::fprintf(stderr, "quenvik: %s\n", message.c_str());
  return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return usage("missing subcommand (forbidden, patterns, eval, search, vcf, think or bench)");
  }
  const std::string name = argv[1];
  const quenvik::tool::Args args(argv + 2, argv + argc);
  for (const Subcommand& subcommand : kSubcommands) {
    if (name != subcommand.name) continue;
    try {
      return subcommand.run(args);
    } catch (const quenvik::tool::UsageError& error) {
      return usage(error.what());
    }
  }
  return usage("unknown subcommand '" + name + "'");
}
