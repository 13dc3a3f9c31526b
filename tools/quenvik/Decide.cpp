#include "tools/quenvik/Decide.h"

#include <cstdio>
#include <cstring>

#include "core/EngineState.h"
#include "core/Output.h"
#include "think/ThinkThread.h"

namespace quenvik::tool {

namespace {

constexpr const char* kForcedWinLine = "MESSAGE Here it is!";
#if defined(_WIN32)
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif
constexpr int kLineBuffer = 512;

void applyLimits(const DecisionLimits& limits) {
  engine.nodeLimit = limits.nodes;
  engine.timeLeft = kStartTimeLeft;
  engine.turnTimeout = limits.turnTimeMs != 0 ? limits.turnTimeMs : kStartTurnTimeout;
  engine.fullBoard = 1;
  engine.threatSearchOn = 1;
}

std::FILE* openSink(DecisionLines lines) {
  switch (lines) {
    case DecisionLines::Capture:
      return std::tmpfile();
    case DecisionLines::Discard:
      return std::fopen(kNullDevice, "w");
    default:
      return nullptr;
  }
}

std::vector<std::string> readBack(std::FILE* sink) {
  std::vector<std::string> lines;
  std::rewind(sink);
  char buffer[kLineBuffer];
  while (std::fgets(buffer, sizeof buffer, sink) != nullptr) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

DecisionResult decideOn(const Position& position, const DecisionLimits& limits, DecisionLines lines) {
  setUpPosition(position);
  applyLimits(limits);
  std::FILE* sink = openSink(lines);
  if (lines != DecisionLines::Print && sink == nullptr) {
    throw UsageError("cannot open a file for the engine's lines (a temporary file or the null device)");
  }
  if (sink != nullptr) setOutputStream(sink);
  const int recordBefore = engine.recordCount;
  const int64_t start = clockMs();
  decideHere();
  DecisionResult result;
  result.elapsedMs = clockMs() - start;
  if (sink != nullptr) {
    flushOutput();
    setOutputStream(nullptr);
    if (lines == DecisionLines::Capture) result.lines = readBack(sink);
    std::fclose(sink);
  }
  result.nodes = engine.nodeCount;
  // On an empty board the engine opens without searching: no score.
  result.score = position.moves.empty() ? 0 : static_cast<int>(engine.bestScore);
  for (const std::string& line : result.lines) {
    if (line == kForcedWinLine) result.forcedWin = true;
  }
  if (result.forcedWin) result.score = kWinScore;
  if (engine.recordCount > recordBefore) {
    const int last = engine.recordMoves[engine.recordCount - 1];
    result.hasMove = true;
    result.x = cellIndexX(last);
    result.y = cellIndexY(last);
  }
  return result;
}

void stopDecisionFromSignal() {
  engine.stopRequested = 1;
  int32_t running = 0;
  engine.stopFlag.compare_exchange_strong(running, 1);
}

}  // namespace quenvik::tool
