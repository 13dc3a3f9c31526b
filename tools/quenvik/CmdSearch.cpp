// quenvik eval and quenvik search: the static evaluation and one call of the
// principal search on a position given on the command line.
//
//   quenvik eval [--size N] [--rule R] [--moves "x,y ..."]
//     prints "eval V search S": V is evaluatePosition for the side that has
//     just moved (%.6f), once the pattern state is up to date with the board;
//     S is trunc(-V), the leaf value the search would see before it turns
//     decided values (15000 or beyond) into wins and losses at a ply.
//
//   quenvik search [--size N] [--rule R] [--moves "x,y ..."] --depth D [--nodes K]
//     one root call of the principal search with the root width, depth D (a
//     number, fractions allowed), window -20000..20000, every empty cell a
//     root candidate and a node limit K (0 = none, the default); prints
//     "score S move x,y nodes K", or "score S move none nodes K" without a
//     move.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "AI/AIx.h"
#include "Value/ValueW.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Patterns.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

namespace {

constexpr const char* kEvalUsage =
    "usage: quenvik eval [--size N] [--rule R] [--moves \"x,y ...\" | --pos P | --game FILE]; "
    "prints \"eval V search S\", "
    "V the value for the side that has just moved, S = trunc(-V) as a search leaf sees it";
constexpr const char* kSearchUsage =
    "usage: quenvik search [--size N] [--rule R] [--moves \"x,y ...\" | --pos P | --game FILE] "
    "--depth D [--nodes K]; "
    "prints \"score S move x,y nodes K\" (move none without a move)";

// A refused argument, with the subcommand's usage on the same line.
[[noreturn]] void refuse(const UsageError& error, const char* usage) {
  throw UsageError(std::string(error.what()) + " (" + usage + ")");
}
constexpr double kMaxToolDepth = 100.0;

double parseDepth(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double depth = std::strtod(begin, &end);
  if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(depth) || depth < -kMaxToolDepth ||
      depth > kMaxToolDepth) {
    throw UsageError("--depth needs a number from -100 to 100, got '" + text + "'");
  }
  return depth;
}

}  // namespace

int commandEval(const Args& args) {
  ToolArgs parsed;
  try {
    parsed = parseToolArgs(args, {});
  } catch (const UsageError& error) {
    refuse(error, kEvalUsage);
  }
  setUpPosition(parsed.position);
  updatePatterns();
  const int32_t justMoved = -sideToMove();
  double value = 0.0;
  runOnSearchStack([&] { value = evaluatePosition(justMoved); });
  std::printf("eval %.6f search %d\n", value, static_cast<int>(-value));
  return 0;
}

int commandSearch(const Args& args) {
  ToolArgs parsed;
  double depth = 0.0;
  int32_t nodeLimit = 0;
  try {
    parsed = parseToolArgs(args, {"depth", "nodes"});
    const auto depthOption = parsed.options.find("depth");
    if (depthOption == parsed.options.end()) throw UsageError("search needs --depth D");
    depth = parseDepth(depthOption->second);
    if (const auto nodes = parsed.options.find("nodes"); nodes != parsed.options.end()) {
      nodeLimit = parseIntOption("nodes", nodes->second);
      if (nodeLimit < 0) throw UsageError("--nodes must be 0 or more, got " + nodes->second);
    }
  } catch (const UsageError& error) {
    refuse(error, kSearchUsage);
  }

  setUpPosition(parsed.position);
  prepareStandaloneRootSearch(nodeLimit);
  SearchResult found{0, -1};
  runOnSearchStack([&] { found = principalSearch(kRootWidth, depth, -kWinScore, kWinScore, 1, 0); });

  const int n = engine.boardSize;
  if (found.move < 0) {
    std::printf("score %d move none nodes %d\n", found.score, engine.nodeCount);
  } else {
    std::printf("score %d move %d,%d nodes %d\n", found.score, found.move % n, found.move / n, engine.nodeCount);
  }
  return 0;
}

}  // namespace quenvik::tool
