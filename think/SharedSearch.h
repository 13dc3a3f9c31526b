// The pieces of a decision made of several searches (the Swap2 opening, the
// board GUI's balance commands): each search with its share of the
// decision's budgets, the decision's clock, and the scoring of trial
// positions to find the one whose score lies nearest a target.
#pragma once

#include <cstdint>

#include "core/EngineState.h"
#include "think/Reporter.h"
#include "think/RootDecision.h"

namespace quenvik {

// The part of the decision's budgets one of its searches gets: 1/time of the
// time budget and 1/nodes of the node limit.
struct SearchShare {
  int time;
  int nodes;
};

// Runs one search of a decision made of several on the engine board the
// caller set up, under its own timer, with its share of the budgets; the
// moves `excluded` (MoveNumbers) are left out at the root.
using SharedSearch = RootOutcome (*)(const Reporter& reporter, const RootLimits& limits, SearchShare share,
                                     const int* excluded, int excludedCount);

constexpr RootLimits kFullLimits{kMaxIterationIndex, kRootWidth, kWidthNumerator, kWidthDenominator};

// The decision's clock, over the budgets a move would have. Every search but
// the first starts within the first half of the longest budget and has at
// most half of it, so the decision ends within that budget.
struct DecisionClock {
  int64_t begun;
  int32_t stableBudget;
  int32_t longestBudget;

  DecisionClock();
  bool allows(int64_t allottedMs) const;
  bool beforeHalfway() const { return allows(longestBudget / 2); }
};

// Makes `cells` (CellIndex values in playing order) the record and sets up
// the engine board on it.
void setUpPosition(const int32_t* cells, int count);

// The protocol cell of a MoveNumber of the engine board.
int32_t cellOfMove(int move);

// The searches of a decision made of several report nothing themselves: the
// decision reports the positions it scored.
Reporter quietOf(const Reporter& reporter);

// ---------------------------------------------------------------------------
// Trial positions: a few stones placed on a base position, each scored by a
// search for the side to move after them.
// ---------------------------------------------------------------------------

constexpr int kMaxTrialStones = 3;
constexpr int kMaxTrials = 64;

struct TrialBase {
  const int32_t* cells;  // CellIndex values in playing order
  int count;
};

struct TrialPosition {
  int32_t stones[kMaxTrialStones];  // CellIndex values, played after the base
  int stoneCount = 0;
  int score = 0;  // for the side to move after the stones
  int depth = 0;
  bool screened = false;
  bool refined = false;
};

// Called for each trial searched in full, as its score comes.
using TrialReport = void (*)(const Reporter& reporter, const TrialBase& base, const TrialPosition& trial);

// What the trials are scored for: the score wanted, the part of the stable
// time budget after which the screening ends (1/screeningTimeParts), and the
// report of each full search.
struct TrialGoal {
  int target;
  int screeningTimeParts;
  TrialReport report;
};

// Scores the trials and returns the index of the one whose score lies
// nearest the target: every trial is screened by a search of at most four
// plies, within the goal's part of the time budget and half the node limit
// shared out; the few nearest the target are then searched again in full,
// sharing the other half, each started within the first half of the longest
// budget. A root left with one move scores the position after that move,
// negated. The choice is the nearest of those searched in full (the first
// of equals), else of those screened, else the first trial. Leaves the
// engine board and the record on the last position searched.
int nearestTrial(const Reporter& reporter, SharedSearch search, const DecisionClock& clock, const TrialBase& base,
                 TrialPosition* trials, int count, const TrialGoal& goal);

}  // namespace quenvik
