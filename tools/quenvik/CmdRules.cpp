// quenvik forbidden / patterns: Black's forbidden cells under Renju, and the
// pattern state of one empty cell for both colours.
#include <cstdio>
#include <string>

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Renju.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

namespace {

constexpr const char* kClassNames[] = {"Dead",     "OneClosed", "OneOpen",     "TwoClosed",       "TwoOpenA",
                                       "TwoOpenB", "TwoOpenC",  "ThreeClosed", "ThreeOpenSingle", "ThreeOpenDouble",
                                       "Four",     "FourOpen",  "Five",        "Overline"};

std::string patternName(int32_t code) {
  std::string name = kClassNames[patternClassOf(code)];
  if (patternClassOf(code) == Four && patternCountOf(code) == 2) name += "*2";
  return name;
}

void printCellPatterns(const char* colourName, int colour, int a, int b) {
  std::printf("%s:", colourName);
  for (int d = 0; d < kDirections; ++d)
    std::printf(" %s", patternName(engine.patterns.patternCodes[colour][a][b][d]).c_str());
  std::printf(" rank %d level %d\n", engine.patterns.cellRank[colour][a][b], engine.patterns.cellLevel[colour][a][b]);
}

}  // namespace

int commandForbidden(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {});
  // Standard output stays a plain list (empty here); the reason goes to the person.
  if (!renju(parsed.position.rule)) {
    std::fprintf(stderr, "quenvik: no cell is forbidden under %s: forbidden moves are Black's, under --rule renju\n",
                 std::string(ruleName(parsed.position.rule)).c_str());
    return 0;
  }
  setUpPosition(parsed.position);
  // The forbidden test recurses through nested threes.
  runOnSearchStack([] {
    LineViews views;
    buildLineViews(views);
    const int n = engine.boardSize;
    // Protocol x is the engine row, y the column.
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        if (engine.board[x][y] != kEmpty) continue;
        const int kind = forbiddenKind(views, x, y);
        if (kind != Allowed) std::printf("%d,%d %s\n", x, y, forbiddenKindName(kind));
      }
    }
  });
  return 0;
}

int commandPatterns(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"cell"});
  const auto cell = parsed.options.find("cell");
  if (cell == parsed.options.end()) throw UsageError("patterns needs --cell x,y");
  const auto [x, y] = requireEmptyCell(parsed.position, cell->second);
  setUpPosition(parsed.position);
  runOnSearchStack([] { updatePatterns(); });
  printCellPatterns("black", 0, x, y);
  printCellPatterns("white", 1, x, y);
  return 0;
}

}  // namespace quenvik::tool
