#include "think/ThinkThread.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <thread>

#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Position.h"
#include "think/RootDecision.h"
#include "think/TimeControl.h"

namespace quenvik {

namespace {

constexpr int32_t kStopAsked = 1;
constexpr int32_t kTimerEnded = 2;
constexpr RootLimits kDecisionLimits{kMaxIterationIndex, kRootWidth, kWidthNumerator, kWidthDenominator};

// Whoever asked for the running decision; set before its thread starts and
// not changed while it runs.
Reporter decisionReporter;

void sleepOneMs() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

// Raises the stop from 0 only: a 2 means the timer thread has gone, and
// lowering it would leave the think thread waiting for a timer that is not
// there.
void raiseStopFromZero() {
  int32_t expected = 0;
  engine.stopFlag.compare_exchange_strong(expected, kStopAsked);
}

void timerThread() {
  for (;;) {
    sleepOneMs();
    if (engine.stopFlag.load() != 0) break;
    const int64_t elapsed = clockMs() - engine.startTime.load();
    const int32_t budget = engine.timeBudget.load();
    if (elapsed >= budget) break;
    if (elapsed >= budget / 3) engine.softStop = 1;
  }
  std::lock_guard<std::mutex> lock(engine.stateLock);
  engine.stopFlag = kTimerEnded;
}

// The decision is done: stop the timer thread and wait until it has ended.
void stopTimerAndWait() {
  {
    std::lock_guard<std::mutex> lock(engine.stateLock);
    if (engine.stopFlag.load() == kTimerEnded) return;
    engine.stopFlag = kStopAsked;
  }
  while (engine.stopFlag.load() != kTimerEnded) sleepOneMs();
}

// Records the move, lets the front end go, then reports it. The record is
// written before `thinking` falls so the front end never sees a half-made
// answer; the reporter is copied before, since once `thinking` is down the
// front end may set up the next decision's. The table goes back to the
// warmer before that too: the next decision claims it anew.
void answerMove(int x, int y) {
  assert(engine.recordCount < kMaxRecordMoves);
  engine.recordMoves[engine.recordCount] = cellIndexOf(x, y);
  engine.recordCount = engine.recordCount + 1;
  const Reporter reporter = decisionReporter;
  releasePositionTable();
  engine.thinking = 0;
  if (reporter.move != nullptr) reporter.move(reporter.context, x, y);
}

void answerNoMove() {
  const Reporter reporter = decisionReporter;
  releasePositionTable();
  engine.thinking = 0;
  if (reporter.noMove != nullptr) reporter.noMove(reporter.context);
}

void finishDecision() {
  engine.activeThinkThreads.fetch_sub(1);
  wakeWaiters(engine.activeThinkThreads);
}

// Arms the stop words and the timer for one search of the decision.
void startSearchClock() {
  {
    std::lock_guard<std::mutex> lock(engine.stateLock);
    engine.stopFlag = engine.stopRequested.load() != 0 ? kStopAsked : 0;
  }
  engine.softStop = 0;
  engine.startTime = clockMs();
  startDetachedThread(timerThread);
}

void answerSearchedMove(const SearchSquare& square, int move) {
  if (move < 0) {
    answerNoMove();
    return;
  }
  const int n = square.size;
  answerMove(square.originX + moveRow(move, n), square.originY + moveColumn(move, n));
}

// N-best: the decision's stages once per line, the k-th with the k - 1
// better moves left out at the root. Each search has its own timer and gets
// 1/lines of the time budget and of the node limit; YXSTOP ends the search
// in progress and the lines after it. The best move is the answer.
void runAnalysis(const SearchSquare& square, int requestedLines) {
  const int n = square.size;
  const int lines = std::max(1, std::min(requestedLines, n * n - engine.stoneCount));
  const int32_t nodeLimit = engine.nodeLimit.load();
  engine.budgetShare = lines;
  engine.timeBudget = currentTimeBudget(kStableBudgetDivisor);
  if (nodeLimit > 0) engine.nodeLimit = std::max(1, nodeLimit / lines);

  int found[kMaxRecordMoves];
  int foundCount = 0;
  int answer = -1;
  for (int k = 0; k < lines; ++k) {
    if (k > 0 && engine.stopRequested.load() != 0) break;
    Reporter reporter = decisionReporter;
    if (k > 0) reporter.expectedTime = nullptr;  // one budget line for the whole decision
    startSearchClock();
    const RootOutcome outcome = decideRootMove(reporter, kDecisionLimits, found, foundCount, false);
    stopTimerAndWait();
    if (k == 0) answer = outcome.move;
    if (!outcome.searched) break;
    found[foundCount++] = outcome.move;
    reportAnalysis(decisionReporter, outcome, k, lines);
  }
  engine.nodeLimit = nodeLimit;
  engine.budgetShare = 1;
  answerSearchedMove(square, answer);
}

void runDecision() {
  seedRandom(kThinkThreadSeed);
  // The table is the decision's until it answers; it takes the size the
  // memory settings allow before any search.
  claimPositionTable();
  preparePositionTableForDecision();
  const int analysisLines = engine.analysisLines;
  engine.analysisLines = 0;
  const int32_t timeLeft = engine.timeLeft.load();
  const int32_t turnTimeout = engine.turnTimeout.load();
  const int32_t recordCount = engine.recordCount;
  engine.thinking = 1;
  engine.timeBudget = timeBudgetFor(timeLeft, turnTimeout, kStableBudgetDivisor);

  if (recordCount == 0) {
    answerMove(engine.gameSize / 2, engine.gameSize / 2);
    return;
  }
  if (recordCount >= engine.gameSize * engine.gameSize) {
    answerNoMove();
    return;
  }

  const SearchSquare square = chooseSearchSquare();
  setUpEngineBoard(square);
  if (analysisLines >= 1) {
    runAnalysis(square, analysisLines);
    return;
  }

  startSearchClock();
  const int move = rootDecision(decisionReporter, kMaxIterationIndex, kRootWidth, kWidthNumerator, kWidthDenominator);
  stopTimerAndWait();
  answerSearchedMove(square, move);
}

void thinkThread() {
  runDecision();
  finishDecision();
}

void prepareDecision(const Reporter& reporter) {
  decisionReporter = reporter;
  engine.stopRequested = 0;
  engine.thinking = 1;
  engine.activeThinkThreads.fetch_add(1);
}

}  // namespace

void startDecision(const Reporter& reporter) {
  prepareDecision(reporter);
  startDetachedThread(thinkThread);
}

void decideHere(const Reporter& reporter) {
  prepareDecision(reporter);
  runOnSearchStack([] { thinkThread(); });
}

void requestStop() {
  std::lock_guard<std::mutex> lock(engine.stateLock);
  engine.stopRequested = 1;
  raiseStopFromZero();
}

void waitForDecisions() {
  for (int32_t active = engine.activeThinkThreads.load(); active != 0; active = engine.activeThinkThreads.load()) {
    waitWhileEquals(engine.activeThinkThreads, active);
  }
}

}  // namespace quenvik
