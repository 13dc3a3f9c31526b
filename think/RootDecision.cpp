#include "think/RootDecision.h"

#include <algorithm>
#include <cstring>

#include "AI/AIx.h"
#include "core/EngineState.h"
#include "core/Output.h"
#include "frontend/GameRecord.h"
#include "frontend/Settings.h"
#include "rules/Fallback.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Renju.h"
#include "threat/ThreatSearch.h"

namespace quenvik {

namespace {

constexpr int kOwnWinRequest = 8;       // depth limit 5
constexpr int kOpponentWinRequest = 7;  // depth limit 4
constexpr int kStableBudgetDivisor = 15;
constexpr int kUnstableBudgetDivisor = 7;
constexpr int kStableScoreDrop = 5;

struct Scored {
  int score;
  int move;
};

int32_t budgetFor(int divisor) { return timeBudgetFor(engine.timeLeft.load(), engine.turnTimeout.load(), divisor); }

int64_t elapsedSinceSearchStart() { return clockMs() - engine.searchStartTime; }

void prepare(int maxIterationIndex, int referenceWidth, int widthNumerator, int widthDenominator) {
  engine.nodeLimitHit = 0;
  engine.searchAborted = 0;
  const int32_t budget = budgetFor(kStableBudgetDivisor);
  engine.timeBudget = budget;
  emit("MESSAGE Expected time=%dms\n", budget);
  flushOutput();
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
    const int reply = threatSearch(-side, kOpponentWinRequest);
    engine.board[a][b] = kEmpty;
    engine.stoneCount = engine.stoneCount - 1;
    if (reply >= n * n) markRootCandidate(a, b);
  }
}

void printIterationLine(int d) {
  const int n = engine.boardSize;
  emit("MESSAGE %2d;(%02d,%02d) %7d ---------- %8lld\n", d + 1, engine.bestMove % n, engine.bestMove / n,
       static_cast<int>(engine.bestScore), static_cast<long long>(elapsedSinceSearchStart()));
}

void printFinalReport(int completedIndex, int reachedSelDepth) {
  engine.searchAborted = 0;
  const int64_t t = elapsedSinceSearchStart();
  emit("MESSAGE Nodes=%d, ", engine.nodeCount);
  emit("Time=%lldms, ", static_cast<long long>(t));
  if (t > 0) {
    emit("speed=%lld, ", static_cast<long long>(int64_t{engine.nodeCount} * 1000 / t));
  } else {
    emit("speed=0, ");
  }
  emit("depth=%d-%d, Evaluation=%d\n", completedIndex + 1, reachedSelDepth, static_cast<int>(engine.bestScore));
  flushOutput();
}

bool decided(int score) { return score >= kDecidedScore || score <= -kDecidedScore; }

// Iterative deepening over the root candidates, widening the time budget
// while the best move keeps changing.
void deepen() {
  engine.bestScore = 0;
  engine.bestMove = -1;
  Scored current{0, 0};
  Scored previous{0, 0};
  int completedIndex = 0;
  int reachedSelDepth = 0;
  for (int d = 0; d <= engine.maxDepth;) {
    previous = current;
    current = {engine.bestScore, engine.bestMove};
    engine.iterationIndex = d;
    const SearchResult result = principalSearch(engine.referenceWidth, d + 1.0, -kWinScore, kWinScore, 1, 1, 0);
    // A stop that lands between two iterations makes the next one return no
    // move at once; the move of the iteration that did finish stands.
    const bool stoppedBeforeAnyMove = engine.searchAborted.load() != 0 && result.move == -1 && engine.bestMove != -1;
    if (!stoppedBeforeAnyMove) {
      engine.bestScore = result.score;
      engine.bestMove = result.move;
    }

    const bool stable =
        result.score > current.score - kStableScoreDrop && result.move == current.move && previous.move == current.move;
    engine.timeBudget = budgetFor(stable ? kStableBudgetDivisor : kUnstableBudgetDivisor);
    engine.softStop = (clockMs() - engine.startTime.load() >= engine.timeBudget.load() / 3) ? 1 : 0;

    if (iterationLineDue(d, engine.nodeCount)) printIterationLine(d);
    flushOutput();

    if (engine.searchAborted.load() != 0) break;
    completedIndex = std::max(completedIndex, d);
    reachedSelDepth = std::max(reachedSelDepth, engine.selDepth);
    ++d;
    if (decided(engine.bestScore) || engine.softStop.load() != 0) break;
  }
  printFinalReport(completedIndex, reachedSelDepth);
}

}  // namespace

int rootDecision(int maxIterationIndex, int referenceWidth, int widthNumerator, int widthDenominator) {
  prepare(maxIterationIndex, referenceWidth, widthNumerator, widthDenominator);
  if (engine.stoneCount <= 0) return fallbackMove();

  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const int ownWin = threatSearch(side, kOwnWinRequest);
  if (ownWin < n * n) {
    emit("MESSAGE Here it is!\n");
    flushOutput();
    return ownWin;
  }

  const int opponentWin = threatSearch(-side, kOpponentWinRequest);
  screenRootCandidates(side, opponentWin < n * n);

  deepen();
  if (engine.bestMove != -1) return engine.bestMove;
  emit("MESSAGE Er...\n");
  flushOutput();
  return fallbackMove();
}

}  // namespace quenvik
