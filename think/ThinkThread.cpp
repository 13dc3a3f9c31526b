#include "think/ThinkThread.h"

#include <chrono>
#include <thread>

#include "core/EngineState.h"
#include "core/Output.h"
#include "core/Platform.h"
#include "frontend/GameRecord.h"
#include "frontend/Settings.h"
#include "think/RootDecision.h"

namespace quenvik {

namespace {

constexpr int kMaxIterationIndex = 24;
constexpr int kReferenceWidth = 60;
constexpr int kWidthNumerator = 1;
constexpr int kWidthDenominator = 1;
constexpr int kFirstBudgetDivisor = 15;
constexpr int32_t kStopAsked = 1;
constexpr int32_t kTimerEnded = 2;

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

// Records the move, lets the front end go, then prints it. The record is
// written before `thinking` falls so the front end never sees a half-made
// answer.
void answerMove(int x, int y) {
  engine.recordMoves[engine.recordCount] = cellIndexOf(x, y);
  engine.recordCount = engine.recordCount + 1;
  engine.thinking = 0;
  emit("%d,%d\n", x, y);
  flushOutput();
}

void answerNoMove() {
  engine.thinking = 0;
  emit("ERROR No empty cell.\n");
  flushOutput();
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
  engine.timeBudget = timeBudgetFor(timeLeft, turnTimeout, kFirstBudgetDivisor);

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
  const int move = rootDecision(kMaxIterationIndex, kReferenceWidth, kWidthNumerator, kWidthDenominator);
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

void prepareDecision() {
  engine.stopRequested = 0;
  engine.thinking = 1;
  engine.activeThinkThreads.fetch_add(1);
}

}  // namespace

void startDecision() {
  prepareDecision();
  startDetachedThread(thinkThread);
}

void decideHere() {
  prepareDecision();
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
