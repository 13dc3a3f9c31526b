#include "think/Balance.h"

#include <algorithm>

#include "core/EngineState.h"
#include "rules/Fallback.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Position.h"
#include "rules/Renju.h"

namespace quenvik {

namespace {

// The moves considered: empty cells within two cells of a stone (the core of
// the search's own neighbourhood), best first by the one-ply cell score of
// the fallback chooser, so that the few screened are the ones a player would
// look at. A move that completes five ends the game and balances nothing; a
// point forbidden to Black under Renju is no move at all.
constexpr int kNearStones = 2;
constexpr int kOneMoveCandidates = 32;
// Two moves: the best few first moves, each with the best few replies.
constexpr int kFirstMoves = 8;
constexpr int kReplies = 6;
static_assert(kOneMoveCandidates <= kMaxTrials && kFirstMoves * kReplies <= kMaxTrials);

// The screening ends after a third of the budget, so that the full searches
// can start before half of it has passed even when the time per move is what
// limits the budget.
constexpr int kScreeningTimeParts = 3;

struct RankedCell {
  int32_t cell;
  int32_t score;
};

bool nearAStone(int a, int b) {
  const int n = engine.boardSize;
  for (int na = std::max(a - kNearStones, 0); na <= std::min(a + kNearStones, n - 1); ++na) {
    for (int nb = std::max(b - kNearStones, 0); nb <= std::min(b + kNearStones, n - 1); ++nb) {
      if (engine.board[na][nb] != kEmpty) return true;
    }
  }
  return false;
}

// Up to `most` moves of the side to move in the position `cells` holds, best
// first (the first in MoveNumber order among equals); moves that complete
// five only `withFives`. On an empty board the only move is the centre, where
// every decision opens. Sets up the engine board on the position.
int candidateMoves(const int32_t* cells, int count, int most, bool withFives, int32_t* out) {
  if (count == 0) {
    out[0] = cellIndexOf(engine.gameSize / 2, engine.gameSize / 2);
    return 1;
  }
  setUpPosition(cells, count);
  updatePatterns();
  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const bool checkForbidden = side == kBlack && renju();
  LineViews views;
  if (checkForbidden) buildLineViews(views);
  RankedCell ranked[kGridWidth * kGridWidth];
  int rankedCount = 0;
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (engine.board[a][b] != kEmpty || !nearAStone(a, b)) continue;
    if (checkForbidden && forbiddenKind(views, a, b) != Allowed) continue;
    if (!withFives && stoneMakesFive(side, a, b)) continue;
    ranked[rankedCount++] = {cellOfMove(m), scoreCell(a, b, side)};
  }
  std::stable_sort(ranked, ranked + rankedCount,
                   [](const RankedCell& x, const RankedCell& y) { return x.score > y.score; });
  const int taken = std::min(most, rankedCount);
  for (int i = 0; i < taken; ++i) out[i] = ranked[i].cell;
  return taken;
}

void reportTrial(const Reporter& reporter, const TrialBase& base, const TrialPosition& trial) {
  if (reporter.balanceScored == nullptr) return;
  BalanceReport report{};
  report.stoneCount = trial.stoneCount;
  for (int i = 0; i < trial.stoneCount; ++i) {
    report.x[i] = cellIndexX(trial.stones[i]);
    report.y[i] = cellIndexY(trial.stones[i]);
  }
  report.score = trial.score;
  report.sideToMove = (base.count + trial.stoneCount) % 2 == 0 ? kBlack : kWhite;
  report.depth = trial.depth;
  reporter.balanceScored(reporter.context, report);
}

// The trial nearest the target. The reports name the scores the choice was
// made among: those of the full searches, or, when a stop came before any,
// the screening's.
int chooseTrial(const Reporter& reporter, SharedSearch search, const DecisionClock& clock, const TrialBase& base,
                TrialPosition* trials, int count, int32_t target) {
  const int chosen =
      nearestTrial(reporter, search, clock, base, trials, count, {target, kScreeningTimeParts, reportTrial});
  const auto refined = [](const TrialPosition& t) { return t.refined; };
  if (std::none_of(trials, trials + count, refined)) {
    for (int i = 0; i < count; ++i) {
      if (trials[i].screened) reportTrial(reporter, base, trials[i]);
    }
  }
  return chosen;
}

BalanceAnswer answerOf(const TrialPosition& trial) {
  BalanceAnswer answer{trial.stoneCount, {}};
  std::copy(trial.stones, trial.stones + trial.stoneCount, answer.stones);
  return answer;
}

// Every cell left completes a five of the side to move: the game ends with
// the best of them. No answer when no cell is left.
BalanceAnswer gameEndingMove(const TrialBase& base) {
  int32_t move = -1;
  if (candidateMoves(base.cells, base.count, 1, true, &move) == 0) return {0, {}};
  return {1, {move}};
}

BalanceAnswer balanceOneMove(const Reporter& reporter, SharedSearch search, const DecisionClock& clock,
                             const TrialBase& base, int32_t target) {
  int32_t moves[kOneMoveCandidates];
  const int count = candidateMoves(base.cells, base.count, kOneMoveCandidates, false, moves);
  if (count == 0) return gameEndingMove(base);
  TrialPosition trials[kMaxTrials];
  for (int i = 0; i < count; ++i) {
    trials[i].stones[0] = moves[i];
    trials[i].stoneCount = 1;
  }
  return answerOf(trials[chooseTrial(reporter, search, clock, base, trials, count, target)]);
}

// With no reply possible after any first move (one cell left, or only cells
// that end the game), the answer is one move, as YXBALANCEONE's.
BalanceAnswer balanceTwoMoves(const Reporter& reporter, SharedSearch search, const DecisionClock& clock,
                              const TrialBase& base, int32_t target) {
  int32_t firsts[kFirstMoves];
  const int firstCount = candidateMoves(base.cells, base.count, kFirstMoves, false, firsts);
  int32_t replies[kFirstMoves][kReplies];
  int replyCounts[kFirstMoves];
  int32_t cells[kMaxRecordMoves];
  std::copy(base.cells, base.cells + base.count, cells);
  for (int i = 0; i < firstCount; ++i) {
    cells[base.count] = firsts[i];
    replyCounts[i] = candidateMoves(cells, base.count + 1, kReplies, false, replies[i]);
  }
  // Every first move's best reply comes before any second-best one, so a
  // screening cut short has seen each first move.
  TrialPosition trials[kMaxTrials];
  int count = 0;
  for (int k = 0; k < kReplies; ++k) {
    for (int i = 0; i < firstCount; ++i) {
      if (k >= replyCounts[i]) continue;
      trials[count].stones[0] = firsts[i];
      trials[count].stones[1] = replies[i][k];
      trials[count].stoneCount = 2;
      ++count;
    }
  }
  if (count == 0) return balanceOneMove(reporter, search, clock, base, target);
  return answerOf(trials[chooseTrial(reporter, search, clock, base, trials, count, target)]);
}

}  // namespace

BalanceAnswer decideBalance(const Reporter& reporter, SharedSearch search, int stones, int32_t target) {
  const DecisionClock clock;
  if (reporter.expectedTime != nullptr) reporter.expectedTime(reporter.context, clock.stableBudget);
  int32_t position[kMaxRecordMoves];
  const int count = engine.recordCount;
  std::copy(engine.recordMoves, engine.recordMoves + count, position);
  const TrialBase base{position, count};
  const BalanceAnswer answer = stones == kMaxBalanceStones ? balanceTwoMoves(reporter, search, clock, base, target)
                                                           : balanceOneMove(reporter, search, clock, base, target);
  std::copy(position, position + count, engine.recordMoves);
  engine.recordCount = count;
  return answer;
}

}  // namespace quenvik
