#include "core/EngineState.h"

#include <chrono>
#include <cstring>

namespace quenvik {

namespace {

void resetSettingsOf(Settings& settings) {
  settings.timeLeft = kStartTimeLeft;
  settings.turnTimeout = kStartTurnTimeout;
  settings.fullBoard = kStartFullBoard;
  settings.threatSearchOn = kStartThreatSearchOn;
  settings.nodeLimit = 0;
  settings.rule = Rule::Freestyle;
  settings.depthLimit = 0;
  settings.showDetail = 0;
  settings.hashSizeKiB = 0;
  settings.memoryCap = 0;
  settings.ruleTwoIsRenju = 0;
  settings.analysisLines = 0;
  settings.swap2Request = 0;
  settings.defendSearch = 0;
  settings.balanceStones = 0;
  settings.balanceTarget = 0;
}

}  // namespace

// Defined out of line and not constexpr on purpose: the object then lives in
// zero-filled storage and only the settings are written at start-up. A
// constant-initialised object would put the 256 MiB table into the executable.
EngineState::EngineState() {
  resetSettingsOf(*this);
  budgetShare = 1;
  tableIndexMask = kTableIndexMask;
}

EngineState engine;

namespace {
thread_local uint32_t randomState = kThinkThreadSeed;
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
}  // namespace

void resetSettings() { resetSettingsOf(engine); }

void resetRecord() {
  std::memset(engine.recordMoves, 0, sizeof engine.recordMoves);
  engine.recordCount = 0;
  engine.gameSize = 0;
}

void resetThinkControl() {
  engine.thinking = 0;
  engine.stopFlag = 0;
  engine.softStop = 0;
  engine.timeBudget = 0;
  engine.startTime = 0;
  engine.searchAborted = 0;
  engine.stopRequested = 0;
  engine.budgetShare = 1;
}

void resetPosition() {
  std::memset(engine.stoneKeys, 0, sizeof engine.stoneKeys);
  engine.positionKey = 0;
  std::memset(engine.board, 0, sizeof engine.board);
  engine.boardSize = 0;
  engine.stoneCount = 0;
  std::memset(&engine.patterns, 0, sizeof engine.patterns);
  engine.patternUndoLog.clear();
  engine.forbiddenCheckList.clear();
  engine.previousForbiddenCheckList.clear();
}

void resetSearch() {
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidateCount = 0;
  engine.bestScore = 0;
  engine.bestMove = -1;
  engine.nodeCount = 0;
  engine.searchStartTime = 0;
  engine.maxDepth = kMaxIterationIndex;
  engine.referenceWidth = kRootWidth;
  engine.widthNumerator = kWidthNumerator;
  engine.widthDenominator = kWidthDenominator;
  engine.iterationIndex = 0;
  engine.selDepth = 0;
  engine.nodeLimitHit = 0;
  engine.rootAnsweredAtOnce = 0;
  engine.plyIndex = 0;
  std::memset(engine.rootExcluded, 0, sizeof engine.rootExcluded);
  engine.rootExcludedCount = 0;
  engine.rootEventHook = nullptr;
  engine.rootEventContext = nullptr;
}

void resetThreatSearch() {
  std::memset(&engine.threatBoard, 0, sizeof engine.threatBoard);
  engine.threatLine.clear();
  engine.threatStore.clear();
  engine.threatComplete = 0;
}

void resetEngine() {
  resetSettings();
  resetRecord();
  resetThinkControl();
  resetPosition();
  resetSearch();
  resetThreatSearch();
}

void seedRandom(uint32_t state) { randomState = state; }

int drawRandom() {
  randomState = nextRandomState(randomState);
  return randomValueOf(randomState);
}

int64_t clockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - processStart).count();
}

}  // namespace quenvik
