#include "think/RootDecision.h"

#include <algorithm>
#include <cstring>

#include "AI/AIx.h"
#include "core/EngineState.h"
#include "rules/Fallback.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Position.h"
#include "rules/Renju.h"
#include "think/TimeControl.h"
#include "threat/ThreatSearch.h"

namespace quenvik {

namespace {

int64_t elapsedSinceSearchStart() { return clockMs() - engine.searchStartTime; }

void prepare(const Reporter& reporter, int maxIterationIndex, int referenceWidth, int widthNumerator,
             int widthDenominator) {
  engine.nodeLimitHit = 0;
  engine.rootAnsweredAtOnce = 0;
  engine.searchAborted = 0;
  const int32_t budget = currentTimeBudget(kStableBudgetDivisor);
  engine.timeBudget = budget;
  if (reporter.expectedTime != nullptr) reporter.expectedTime(reporter.context, budget);
  engine.nodeCount = 0;
  engine.searchStartTime = clockMs();
  engine.maxDepth = maxIterationIndex;
  engine.referenceWidth = referenceWidth;
  engine.widthNumerator = widthNumerator;
  engine.widthDenominator = widthDenominator;
  engine.positionKey = computePositionKey();
}

// Black may not play a forbidden point under Renju; such a cell is never a
// root candidate, or a lone candidate would be played without a search.
bool forbiddenForMover(LineViews& views, int32_t side, int a, int b) {
  return side == kBlack && renjuOn() && forbiddenKind(views, a, b) != Allowed;
}

void markRootCandidate(int a, int b) {
  engine.rootCandidates[a][b] = 1;
  engine.rootCandidateCount = engine.rootCandidateCount + 1;
}

// Keeps the cells where a stone of `side` leaves the opponent no forced win
// by fours (every empty cell when the opponent has none).
void screenRootCandidates(int32_t side, bool opponentThreatens) {
  const int n = engine.boardSize;
  engine.plyIndex = 0;
  engine.selDepth = 0;
  updatePatterns();
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidateCount = 0;
  LineViews views;
  if (side == kBlack && renjuOn()) buildLineViews(views);
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (engine.board[a][b] != kEmpty) continue;
    if (forbiddenForMover(views, side, a, b)) continue;
    if (!opponentThreatens) {
      markRootCandidate(a, b);
      continue;
    }
    engine.stoneCount = engine.stoneCount + 1;
    engine.board[a][b] = side;
    const int reply = threatSearch(-side, kOpponentWinDepthLimit);
    engine.board[a][b] = kEmpty;
    engine.stoneCount = engine.stoneCount - 1;
    if (reply >= n * n) markRootCandidate(a, b);
  }
}

void reportIteration(const Reporter& reporter, int d) {
  if (reporter.iteration == nullptr) return;
  const int n = engine.boardSize;
  // With no move yet the cell reads as -1 % N, -1 / N, as the line always has.
  const IterationReport line{d + 1, engine.bestMove % n, engine.bestMove / n, engine.bestScore,
                             elapsedSinceSearchStart()};
  reporter.iteration(reporter.context, line);
}

void reportSummary(const Reporter& reporter, int completedIndex, int reachedSelDepth) {
  engine.searchAborted = 0;
  if (reporter.summary == nullptr) return;
  const SearchSummary summary{engine.nodeCount, elapsedSinceSearchStart(), completedIndex + 1, reachedSelDepth,
                              engine.bestScore};
  reporter.summary(reporter.context, summary);
}

bool decided(int score) { return score >= kDecidedScore || score <= -kDecidedScore; }

// Iterative deepening over the root candidates, widening the time budget
// while the best move keeps changing.
void deepen(const Reporter& reporter) {
  engine.bestScore = 0;
  engine.bestMove = -1;
  IterationResult current{0, 0};
  IterationResult previous{0, 0};
  int completedIndex = 0;
  int reachedSelDepth = 0;
  for (int d = 0; d <= engine.maxDepth;) {
    previous = current;
    current = {engine.bestScore, engine.bestMove};
    engine.iterationIndex = d;
    const SearchResult result = principalSearch(engine.referenceWidth, d + 1.0, -kWinScore, kWinScore, 1, 0);
    // A stop that lands between two iterations makes the next one return no
    // move at once; the move of the iteration that did finish stands.
    const bool stoppedBeforeAnyMove = engine.searchAborted.load() != 0 && result.move == -1 && engine.bestMove != -1;
    if (!stoppedBeforeAnyMove) {
      engine.bestScore = result.score;
      engine.bestMove = result.move;
    }

    const bool stable = bestMoveStable(previous, current, {result.score, result.move});
    engine.timeBudget = currentTimeBudget(budgetDivisorFor(stable));
    engine.softStop = softLimitReached(clockMs() - engine.startTime.load(), engine.timeBudget.load()) ? 1 : 0;

    if (iterationLineDue(d, engine.nodeCount)) reportIteration(reporter, d);

    if (engine.searchAborted.load() != 0 || engine.rootAnsweredAtOnce != 0) break;
    completedIndex = std::max(completedIndex, d);
    reachedSelDepth = std::max(reachedSelDepth, engine.selDepth);
    ++d;
    if (decided(engine.bestScore) || engine.softStop.load() != 0) break;
  }
  reportSummary(reporter, completedIndex, reachedSelDepth);
}

}  // namespace

int rootDecision(const Reporter& reporter, int maxIterationIndex, int referenceWidth, int widthNumerator,
                 int widthDenominator) {
  prepare(reporter, maxIterationIndex, referenceWidth, widthNumerator, widthDenominator);
  if (engine.stoneCount <= 0) return fallbackMove();

  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const int ownWin = threatSearch(side, kOwnWinDepthLimit);
  if (ownWin < n * n) {
    if (reporter.forcedWin != nullptr) reporter.forcedWin(reporter.context);
    return ownWin;
  }

  const int opponentWin = threatSearch(-side, kOpponentWinDepthLimit);
  screenRootCandidates(side, opponentWin < n * n);

  deepen(reporter);
  if (engine.bestMove != -1) return engine.bestMove;
  if (reporter.fallback != nullptr) reporter.fallback(reporter.context);
  return fallbackMove();
}

}  // namespace quenvik
