// Fuzz target: the analysis tool's argument and move parsers.
//
// The input is a command line, one argument per line: a subcommand name and
// its arguments; or, after a first line "#game", the text of a game file for
// the game readers. A refusal must come as a UsageError (any other exception
// ends the run as a crash); an accepted position must set the engine up with
// exactly the stones it names. The cheap subcommands run whole, as main
// would run them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/EngineState.h"
#include "core/Platform.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Records.h"
#include "tools/quenvik/ToolArgs.h"

namespace {

using namespace quenvik;
using quenvik::tool::UsageError;

// The options the subcommands take besides --size, --rule and --moves.
const std::set<std::string> kExtraOptions = {"cell", "nodes", "time", "depth", "request", "svg"};
const std::set<std::string> kExtraFlags = {"json", "white"};
const std::string kGameMarker = "#game\n";
constexpr int kGameIndicesTried = 3;

// Subcommands that finish quickly on any position. The searching ones run
// for as long as their arguments ask: search runs only under a small node
// limit, think and bench not at all.
struct Subcommand {
  const char* name;
  int (*run)(const tool::Args&);
};
constexpr Subcommand kQuickSubcommands[] = {{"forbidden", tool::commandForbidden},
                                            {"patterns", tool::commandPatterns},
                                            {"eval", tool::commandEval},
                                            {"vcf", tool::commandVcf},
                                            {"search", tool::commandSearch}};
constexpr int kLargestSearchNodes = 2000;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_tool_args: %s\n", what);
  std::abort();
}

std::vector<std::string> splitArguments(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  return args;
}

// Each option value through every reader a subcommand may apply to it.
void readOptionValues(const tool::ToolArgs& parsed) {
  for (const auto& [name, value] : parsed.options) {
    try {
      tool::parseIntOption(name, value);
    } catch (const UsageError&) {
    }
    try {
      const auto cell = tool::requireEmptyCell(parsed.position, value);
      const int n = parsed.position.size;
      if (cell.first < 0 || cell.first >= n || cell.second < 0 || cell.second >= n) fail("a cell off the board passed");
    } catch (const UsageError&) {
    }
  }
}

void checkSetUp(const tool::Position& position) {
  runOnSearchStack([&] { tool::setUpPosition(position); });
  const int n = position.size;
  if (engine.gameSize != n || engine.boardSize != n) fail("board size not taken over");
  if (engine.stoneCount != static_cast<int32_t>(position.moves.size())) fail("stone count differs from the moves");
  if (gameRule() != position.rule) fail("rule not taken over");
  int stones = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) stones += engine.board[a][b] != kEmpty ? 1 : 0;
  }
  if (stones != engine.stoneCount) fail("board holds another number of stones than the moves");
  for (size_t i = 0; i < position.moves.size(); ++i) {
    const auto [x, y] = position.moves[i];
    if (engine.board[x][y] != (i % 2 == 0 ? kBlack : kWhite)) fail("a move's stone is missing or of the wrong colour");
  }
}

// An accepted game is on a board of 5 to 20 with every move on it and on a
// cell of its own; a refusal must be a UsageError.
void readGameText(const std::string& text) {
  for (int index = 1; index <= kGameIndicesTried; ++index) {
    tool::GameRecord record;
    try {
      record = tool::parseGameText(text, "fuzz", index, 15);
    } catch (const UsageError&) {
      continue;
    }
    const int n = record.size;
    if (n < kMinBoardSize || n > kMaxBoardSize) fail("a game on a board out of range passed");
    std::vector<bool> taken(static_cast<size_t>(n * n), false);
    for (const auto& [x, y] : record.moves) {
      if (x < 0 || x >= n || y < 0 || y >= n) fail("a game move off the board passed");
      if (taken[static_cast<size_t>(y * n + x)]) fail("a game move on a taken cell passed");
      taken[static_cast<size_t>(y * n + x)] = true;
    }
  }
}

// A search under a node limit of at most kLargestSearchNodes; anything else
// is left for the subcommand to refuse or run.
bool searchIsShort(const tool::Args& args) {
  try {
    const tool::ToolArgs parsed = tool::parseToolArgs(args, {"depth", "nodes"});
    const auto nodes = parsed.options.find("nodes");
    if (nodes == parsed.options.end()) return false;
    const int limit = tool::parseIntOption("nodes", nodes->second);
    return limit >= 1 && limit <= kLargestSearchNodes;
  } catch (const UsageError&) {
    return true;  // refused before it searches
  } catch (const tool::HelpRequested&) {
    return true;
  }
}

// A game file named on the command line could be anything on this machine
// (a device that never ends): the readers are fuzzed on text instead.
bool namesAFile(const tool::Args& args) {
  for (const std::string& arg : args) {
    if (arg.rfind("--game", 0) == 0 || arg.rfind("--svg", 0) == 0) return true;
  }
  return false;
}

void runSubcommand(const std::vector<std::string>& commandLine) {
  const tool::Args args(commandLine.begin() + 1, commandLine.end());
  if (namesAFile(args)) return;
  for (const Subcommand& subcommand : kQuickSubcommands) {
    if (commandLine.front() != subcommand.name) continue;
    if (commandLine.front() == "search" && !searchIsShort(args)) continue;
    try {
      if (subcommand.run(args) != 0) fail("a subcommand failed without a UsageError");
    } catch (const UsageError&) {
    } catch (const tool::HelpRequested&) {
    }
  }
}

}  // namespace

// Subcommands print their results: into the void.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) fail("cannot silence standard output");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  if (input.rfind(kGameMarker, 0) == 0) {
    readGameText(input.substr(kGameMarker.size()));
    return 0;
  }
  const std::vector<std::string> commandLine = splitArguments(data, size);
  runSubcommand(commandLine);
  const std::vector<std::string> args(commandLine.begin() + 1, commandLine.end());
  for (const std::string& arg : args) {
    try {
      tool::parseCell(arg);
    } catch (const UsageError&) {
    }
    try {
      tool::parsePosString(arg);
    } catch (const UsageError&) {
    }
  }
  if (namesAFile(args)) return 0;
  tool::ToolArgs parsed;
  try {
    parsed = tool::parseToolArgs(args, kExtraOptions, kExtraFlags);
  } catch (const UsageError&) {
    return 0;
  } catch (const tool::HelpRequested&) {
    return 0;
  }
  const int n = parsed.position.size;
  if (n < kMinBoardSize || n > kMaxBoardSize) fail("a size out of range passed");
  readOptionValues(parsed);
  checkSetUp(parsed.position);
  return 0;
}
