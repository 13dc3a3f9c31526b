#include "think/ThinkThread.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <thread>

#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Position.h"
#include "think/Balance.h"
#include "think/RootDecision.h"
#include "think/Swap2.h"
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

// Under show_detail the GUI clears the marks of the root moves it drew when
// told the search is over, before the move arrives.
void endRootEvents(const Reporter& reporter) {
  if (engine.showDetail.load() != 0 && reporter.rootEventsEnd != nullptr) reporter.rootEventsEnd(reporter.context);
}

// The decision is over: the table goes back to the warmer (the next decision
// claims it anew) and the front end may read commands again.
void letFrontEndGo() {
  releasePositionTable();
  engine.thinking = 0;
}

// Records the move, lets the front end go, then reports it. The record is
// written before `thinking` falls so the front end never sees a half-made
// answer; the reporter is copied before, since once `thinking` is down the
// front end may set up the next decision's.
void answerMove(int x, int y) {
  assert(engine.recordCount < kMaxRecordMoves);
  engine.recordMoves[engine.recordCount] = cellIndexOf(x, y);
  engine.recordCount = engine.recordCount + 1;
  const Reporter reporter = decisionReporter;
  endRootEvents(reporter);
  letFrontEndGo();
  if (reporter.move != nullptr) reporter.move(reporter.context, x, y);
}

void answerNoMove() {
  const Reporter reporter = decisionReporter;
  letFrontEndGo();
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

// N-best: the lines deepen together under the decision's one budget; the
// best line's move is the answer.
void runAnalysis(const SearchSquare& square, int lines) {
  startSearchClock();
  const int move = analyseBestMoves(decisionReporter, kDecisionLimits, lines);
  stopTimerAndWait();
  answerSearchedMove(square, move);
}

// One search of a decision made of several (Swap2), on the engine board the
// caller set up, with its share of the time budget and of the node limit,
// under its own timer.
RootOutcome searchWithShare(const Reporter& reporter, const RootLimits& limits, SearchShare share, const int* excluded,
                            int excludedCount) {
  const int32_t nodeLimit = engine.nodeLimit.load();
  engine.budgetShare = share.time;
  engine.timeBudget = currentTimeBudget(kStableBudgetDivisor);
  if (nodeLimit > 0) engine.nodeLimit = std::max(1, nodeLimit / share.nodes);
  startSearchClock();
  const RootOutcome outcome = decideRootMoveWithout(reporter, limits, excluded, excludedCount);
  stopTimerAndWait();
  engine.nodeLimit = nodeLimit;
  engine.budgetShare = 1;
  return outcome;
}

// Appends an answer's stones to the record, in playing order, and gives
// their protocol coordinates for the reply.
void recordAnswerStones(const int32_t* stones, int count, int* x, int* y) {
  assert(engine.recordCount + count <= kMaxRecordMoves);
  for (int i = 0; i < count; ++i) {
    engine.recordMoves[engine.recordCount] = stones[i];
    engine.recordCount = engine.recordCount + 1;
    x[i] = cellIndexX(stones[i]);
    y[i] = cellIndexY(stones[i]);
  }
}

// Records the stones of a Swap2 answer, lets the front end go, then reports
// the answer, in the order a move is answered.
void answerSwap2(const Swap2Answer& answer) {
  Swap2Reply reply{answer.swap, answer.stoneCount, {}, {}};
  recordAnswerStones(answer.stones, answer.stoneCount, reply.x, reply.y);
  const Reporter reporter = decisionReporter;
  letFrontEndGo();
  if (reporter.swap2Reply != nullptr) reporter.swap2Reply(reporter.context, reply);
}

// Records the stones of a balance answer and reports them, in the order a
// move is answered; with none, the answer is that of a full board.
void answerBalance(const BalanceAnswer& answer) {
  if (answer.stoneCount == 0) {
    answerNoMove();
    return;
  }
  BalanceReply reply{answer.stoneCount, {}, {}};
  recordAnswerStones(answer.stones, answer.stoneCount, reply.x, reply.y);
  const Reporter reporter = decisionReporter;
  letFrontEndGo();
  if (reporter.balanceReply != nullptr) reporter.balanceReply(reporter.context, reply);
}

void runDecision() {
  seedRandom(kThinkThreadSeed);
  // The table is the decision's until it answers; it takes the size the
  // memory settings allow before any search.
  claimPositionTable();
  preparePositionTableForDecision();
  const int analysisLines = engine.analysisLines;
  const bool defend = engine.defendSearch != 0;
  engine.analysisLines = 0;
  engine.defendSearch = 0;
  const bool swap2 = engine.swap2Request != 0;
  engine.swap2Request = 0;
  const int balanceStones = engine.balanceStones;
  engine.balanceStones = 0;
  const int32_t timeLeft = engine.timeLeft.load();
  const int32_t turnTimeout = engine.turnTimeout.load();
  const int32_t recordCount = engine.recordCount;
  engine.thinking = 1;
  engine.timeBudget = timeBudgetFor(timeLeft, turnTimeout, kStableBudgetDivisor);

  if (swap2) {
    answerSwap2(decideSwap2(decisionReporter, searchWithShare));
    return;
  }
  if (balanceStones > 0) {
    answerBalance(decideBalance(decisionReporter, searchWithShare, balanceStones, engine.balanceTarget));
    return;
  }
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
  const int move = rootDecision(decisionReporter, kDecisionLimits, defend);
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
