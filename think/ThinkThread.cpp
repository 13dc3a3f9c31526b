#include "think/ThinkThread.h"

#include <cassert>
#include <chrono>
#include <thread>

#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Position.h"
#include "think/RootDecision.h"
#include "think/TimeControl.h"

namespace quenvik {

namespace {

constexpr int32_t kStopAsked = 1;
constexpr int32_t kTimerEnded = 2;

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
// answer.
void answerMove(int x, int y) {
  assert(engine.recordCount < kMaxRecordMoves);
  engine.recordMoves[engine.recordCount] = cellIndexOf(x, y);
  engine.recordCount = engine.recordCount + 1;
  engine.thinking = 0;
  if (decisionReporter.move != nullptr) decisionReporter.move(decisionReporter.context, x, y);
}

void answerNoMove() {
  engine.thinking = 0;
  if (decisionReporter.noMove != nullptr) decisionReporter.noMove(decisionReporter.context);
}

void finishDecision() {
  engine.activeThinkThreads.fetch_sub(1);
  wakeWaiters(engine.activeThinkThreads);
}

void runDecision() {
  seedRandom(kThinkThreadSeed);
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

  {
    std::lock_guard<std::mutex> lock(engine.stateLock);
    engine.stopFlag = engine.stopRequested.load() != 0 ? kStopAsked : 0;
  }
  engine.softStop = 0;
  engine.startTime = clockMs();
  startDetachedThread(timerThread);
  const int move = rootDecision(decisionReporter, kMaxIterationIndex, kRootWidth, kWidthNumerator, kWidthDenominator);
  stopTimerAndWait();

  if (move < 0) {
    answerNoMove();
    return;
  }
  const int n = square.size;
  answerMove(square.originX + moveRow(move, n), square.originY + moveColumn(move, n));
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
