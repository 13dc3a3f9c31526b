#include "think/SharedSearch.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "rules/Position.h"
#include "think/TimeControl.h"

namespace quenvik {

namespace {

// Screening: searches of at most four plies, sharing half the node limit;
// the few nearest the target are then searched again in full, sharing the
// other half.
constexpr int kScreeningMaxIteration = 3;
constexpr int kScreeningShare = 2;
constexpr int kRefinedTrials = 3;
constexpr int kRefineParts = kScreeningShare * kRefinedTrials;
constexpr SearchShare kRefineShare{kRefineParts, kRefineParts};
constexpr RootLimits kScreeningLimits{kScreeningMaxIteration, kRootWidth, kWidthNumerator, kWidthDenominator};

// 64 bits: a target may lie anywhere in the 32-bit range.
int64_t distance(int score, int target) { return std::abs(int64_t{score} - target); }

// A root left with one move (the only one that stops the opponent's forced
// win by fours) answers without a search, and its score is no value of the
// position: the position after that forced move is scored instead and its
// score negated, up to this many forced moves in a row.
constexpr int kMostForcedMoves = 8;

// The score of the position set up on the engine board, for its side to
// move. A root left with no move at all has lost, unless the board is full.
// Forced moves go onto the record.
RootOutcome scorePosition(SharedSearch search, const Reporter& quiet, const RootLimits& limits, SearchShare share) {
  constexpr RootOutcome kUnscored{-1, 0, 0, false};
  int sign = 1;
  for (int forced = 0; forced <= kMostForcedMoves; ++forced) {
    const RootOutcome outcome = search(quiet, limits, share, nullptr, 0);
    if (engine.rootAnsweredAtOnce == 0) return {outcome.move, sign * outcome.score, outcome.depth, outcome.searched};
    if (!outcome.searched) {
      const bool full = engine.stoneCount >= engine.boardSize * engine.boardSize;
      return full ? kUnscored : RootOutcome{-1, -sign * kWinScore, outcome.depth, true};
    }
    engine.recordMoves[engine.recordCount] = cellOfMove(outcome.move);
    engine.recordCount = engine.recordCount + 1;
    setUpEngineBoard(chooseSearchSquare());
    sign = -sign;
  }
  return kUnscored;
}

void setUpTrial(const TrialBase& base, const TrialPosition& trial) {
  int32_t cells[kMaxRecordMoves];
  std::copy(base.cells, base.cells + base.count, cells);
  std::copy(trial.stones, trial.stones + trial.stoneCount, cells + base.count);
  setUpPosition(cells, base.count + trial.stoneCount);
}

// The trial nearest the target among those `counted`; the first of equals.
template <typename Counted>
int nearestAmong(const TrialPosition* trials, int count, int target, Counted counted) {
  int best = -1;
  for (int i = 0; i < count; ++i) {
    if (!counted(trials[i])) continue;
    if (best < 0 || distance(trials[i].score, target) < distance(trials[best].score, target)) best = i;
  }
  return best;
}

// The kRefinedTrials screened trials nearest the target, nearest first (the
// first of equals first). Returns how many there are.
int nearestScreened(TrialPosition* trials, int count, int target, TrialPosition** out) {
  TrialPosition* order[kMaxTrials];
  for (int i = 0; i < count; ++i) order[i] = &trials[i];
  std::stable_sort(order, order + count, [target](const TrialPosition* a, const TrialPosition* b) {
    return a->screened && (!b->screened || distance(a->score, target) < distance(b->score, target));
  });
  int picked = 0;
  while (picked < std::min(count, kRefinedTrials) && order[picked]->screened) {
    out[picked] = order[picked];
    ++picked;
  }
  return picked;
}

}  // namespace

DecisionClock::DecisionClock()
    : begun(clockMs()),
      stableBudget(currentTimeBudget(kStableBudgetDivisor)),
      longestBudget(currentTimeBudget(kChangingBudgetDivisor)) {}

bool DecisionClock::allows(int64_t allottedMs) const {
  return engine.stopRequested.load() == 0 && clockMs() - begun < allottedMs;
}

void setUpPosition(const int32_t* cells, int count) {
  std::copy(cells, cells + count, engine.recordMoves);
  engine.recordCount = count;
  setUpEngineBoard(chooseSearchSquare());
}

int32_t cellOfMove(int move) {
  const int n = engine.boardSize;
  return cellIndexOf(engine.boardOriginX + moveRow(move, n), engine.boardOriginY + moveColumn(move, n));
}

Reporter quietOf(const Reporter& reporter) {
  Reporter quiet;
  quiet.context = reporter.context;
  return quiet;
}

int nearestTrial(const Reporter& reporter, SharedSearch search, const DecisionClock& clock, const TrialBase& base,
                 TrialPosition* trials, int count, const TrialGoal& goal) {
  const Reporter quiet = quietOf(reporter);
  const int target = goal.target;
  for (TrialPosition& trial : std::span(trials, count)) {
    if (!clock.allows(clock.stableBudget / goal.screeningTimeParts)) break;
    setUpTrial(base, trial);
    const SearchShare share{kScreeningShare, kScreeningShare * count};
    const RootOutcome outcome = scorePosition(search, quiet, kScreeningLimits, share);
    if (!outcome.searched) continue;
    trial.score = outcome.score;
    trial.depth = outcome.depth;
    trial.screened = true;
  }

  TrialPosition* refining[kRefinedTrials];
  const int refiningCount = nearestScreened(trials, count, target, refining);
  for (TrialPosition* trial : std::span(refining, refiningCount)) {
    if (!clock.beforeHalfway()) break;
    setUpTrial(base, *trial);
    const RootOutcome outcome = scorePosition(search, quiet, kFullLimits, kRefineShare);
    if (!outcome.searched) continue;
    trial->score = outcome.score;
    trial->depth = outcome.depth;
    trial->refined = true;
    goal.report(reporter, base, *trial);
  }

  int chosen = nearestAmong(trials, count, target, [](const TrialPosition& t) { return t.refined; });
  if (chosen < 0) chosen = nearestAmong(trials, count, target, [](const TrialPosition& t) { return t.screened; });
  return std::max(chosen, 0);
}

}  // namespace quenvik
