// quenvik: analysis of positions and games over the engine library.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const quenvik::tool::Args&);
  const char* description;
};

constexpr Subcommand kSubcommands[] = {
    {"forbidden", quenvik::tool::commandForbidden, "Black's forbidden cells under Renju, one x,y KIND line each"},
    {"patterns", quenvik::tool::commandPatterns, "the line patterns, rank and level of an empty cell"},
    {"eval", quenvik::tool::commandEval, "the static value of the position and what a search leaf makes of it"},
    {"search", quenvik::tool::commandSearch, "one root search to a given depth"},
    {"vcf", quenvik::tool::commandVcf, "whether either side can force five by continuous fours"},
    {"think", quenvik::tool::commandThink, "the engine's whole decision, exactly the lines it prints, then its move"},
    {"bench", quenvik::tool::commandBench, "the decision on twelve fixed positions; the node total is a signature"},
    {"analyse", quenvik::tool::commandAnalyse,
     "the engine's decision on every position of a game: a table of moves, evaluations and flags"},
    {"play", quenvik::tool::commandPlay, "play a game against the engine in a terminal"},
};

constexpr int kUsageStatus = 2;

int usage(const std::string& message) {
  std::fprintf(stderr, "quenvik: %s\n", message.c_str());
  return kUsageStatus;
}

std::string subcommandNames() {
  std::string names;
  for (const Subcommand& subcommand : kSubcommands) names += std::string(names.empty() ? "" : ", ") + subcommand.name;
  return names;
}

int printOverview() {
  std::printf("usage: quenvik SUBCOMMAND [OPTIONS]; quenvik SUBCOMMAND --help for its options\n\n");
  for (const Subcommand& subcommand : kSubcommands)
    std::printf("  %-10s %s\n", subcommand.name, subcommand.description);
  std::printf("\nquenvik --version prints the version.\n");
  return 0;
}

int printVersion() {
  std::printf("quenvik %s\n", QUENVIK_VERSION);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage("missing subcommand (" + subcommandNames() + ")");
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return printOverview();
  if (name == "--version" || name == "-V" || name == "version") return printVersion();
  const quenvik::tool::Args args(argv + 2, argv + argc);
  for (const Subcommand& subcommand : kSubcommands) {
    if (name != subcommand.name) continue;
    quenvik::tool::setHelpTopic(subcommand.name, subcommand.description);
    try {
      return subcommand.run(args);
    } catch (const quenvik::tool::HelpRequested& help) {
      std::fputs(help.what(), stdout);
      return 0;
    } catch (const quenvik::tool::UsageError& error) {
      return usage(error.what());
    }
  }
  return usage("unknown subcommand '" + name + "'");
}
