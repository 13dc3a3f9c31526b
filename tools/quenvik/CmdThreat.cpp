// quenvik vcf: forced wins by continuous fours for both sides of a position.
#include <cstdio>
#include <string>

#include "core/EngineState.h"
#include "core/Platform.h"
#include "threat/ThreatSearch.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

namespace {

// The requests the root decision makes for its own and the opponent's win.
constexpr int kOwnRequest = 8;
constexpr int kOtherRequest = 7;

int runThreatSearch(int32_t attacker, int request) {
  int result = 0;
  // The Renju test recurses without a fixed bound: give it a search stack.
  runOnSearchStack([&] { result = threatSearch(attacker, threatDepthLimit(request)); });
  return result;
}

void printResult(const char* label, int result) {
  const int n = engine.boardSize;
  if (result < n * n) {
    // A MoveNumber names row m mod N, column m div N: protocol x, y.
    std::printf("%s: win %d,%d\n", label, moveRow(result, n), moveColumn(result, n));
  } else if (result == n * n) {
    std::printf("%s: none (proven)\n", label);
  } else {
    std::printf("%s: none (undecided)\n", label);
  }
}

}  // namespace

int commandVcf(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"request"});
  const auto requestOption = parsed.options.find("request");
  const bool singleRequest = requestOption != parsed.options.end();
  const int request = singleRequest ? parseIntOption("request", requestOption->second) : kOwnRequest;
  if (request < 0) throw UsageError("--request must be 0 or more, got " + requestOption->second);

  setUpPosition(parsed.position);
  const int32_t toMove = sideToMove();
  printResult("to-move", runThreatSearch(toMove, request));
  if (!singleRequest) printResult("other", runThreatSearch(-toMove, kOtherRequest));
  return 0;
}

}  // namespace quenvik::tool
