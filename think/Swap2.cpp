#include "think/Swap2.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <span>
#include <utility>

#include "core/EngineState.h"
#include "rules/Position.h"
#include "think/TimeControl.h"

namespace quenvik {

namespace {

// White's scores within this margin of 0 count as balanced: win rates of
// about 42% to 58% on the engine's fitted curve.
constexpr int kBalancedMargin = 5;

// Proposing the opening: every candidate is screened by a search of at most
// four plies, all of them within half the budgets (the time as a deadline for
// the stage, the nodes shared out); the most balanced few are then searched
// again in full, sharing the other half.
constexpr int kScreeningMaxIteration = 3;
constexpr int kScreeningShare = 2;
constexpr int kRefinedOpenings = 3;
constexpr int kRefineParts = kScreeningShare * kRefinedOpenings;
constexpr SearchShare kRefineShare{kRefineParts, kRefineParts};
constexpr int kMaxCandidates = 64;

// After three stones: their position gets half the budgets; when it is
// balanced, Black's best replies to White's best fourth stone share the other
// half, and the most balanced of them is the fifth stone.
constexpr int kFourthParts = 2;
constexpr SearchShare kFourthShare{kFourthParts, kFourthParts};
constexpr int kFifthLines = 3;
constexpr int kFifthParts = kFourthParts * kFifthLines;
constexpr SearchShare kFifthShare{kFifthParts, kFifthParts};

constexpr SearchShare kWholeBudget{1, 1};
constexpr RootLimits kFullLimits{kMaxIterationIndex, kRootWidth, kWidthNumerator, kWidthDenominator};
constexpr RootLimits kScreeningLimits{kScreeningMaxIteration, kRootWidth, kWidthNumerator, kWidthDenominator};

// The decision's clock, over the budgets a move would have. Every search but
// the first starts within the first half of the longest budget and has at
// most half of it, so the decision ends within that budget.
struct DecisionClock {
  int64_t begun = clockMs();
  int32_t stableBudget = currentTimeBudget(kStableBudgetDivisor);
  int32_t longestBudget = currentTimeBudget(kChangingBudgetDivisor);

  bool allows(int64_t allottedMs) const { return engine.stopRequested.load() == 0 && clockMs() - begun < allottedMs; }
  bool beforeHalfway() const { return allows(longestBudget / 2); }
};

void setUpPosition(const int32_t* cells, int count) {
  std::copy(cells, cells + count, engine.recordMoves);
  engine.recordCount = count;
  setUpEngineBoard(chooseSearchSquare());
}

int32_t cellOfMove(int move) {
  const int n = engine.boardSize;
  return cellIndexOf(engine.boardOriginX + moveRow(move, n), engine.boardOriginY + moveColumn(move, n));
}

void reportScored(const Reporter& reporter, const int32_t* cells, int count, int whiteScore, int depth) {
  if (reporter.swap2Scored == nullptr) return;
  Swap2Report report{};
  report.stoneCount = count;
  for (int i = 0; i < count; ++i) {
    report.x[i] = cellIndexX(cells[i]);
    report.y[i] = cellIndexY(cells[i]);
  }
  report.whiteScore = whiteScore;
  report.depth = depth;
  reporter.swap2Scored(reporter.context, report);
}

// The searches of a Swap2 decision report nothing themselves: the decision
// reports the positions it scored.
Reporter quietOf(const Reporter& reporter) {
  Reporter quiet;
  quiet.context = reporter.context;
  return quiet;
}

Swap2Answer swapAnswer() { return {true, 0, {}}; }

Swap2Answer stonesAnswer(std::initializer_list<int32_t> stones) {
  Swap2Answer answer{false, 0, {}};
  for (int32_t cell : stones) answer.stones[answer.stoneCount++] = cell;
  return answer;
}

// ---------------------------------------------------------------------------
// No stones: propose three
// ---------------------------------------------------------------------------

struct Candidate {
  int32_t cells[kSwap2Opening];
  int whiteScore = 0;
  bool screened = false;
  bool refined = false;
};

// The openings the engine considers: Black in the centre, White beside it
// (straight or diagonal), and Black's second stone two or three cells away
// from the first, one of each pair of mirror images. The farther stones come
// first: the engine scores most of them nearer to balance, and a short budget
// ends the screening before it has seen every candidate.
int candidateOpenings(Candidate* out) {
  constexpr int kSecondStones[2][2] = {{1, 0}, {1, 1}};
  constexpr int kNearestRing = 2;
  constexpr int kFarthestRing = 3;
  const int size = engine.gameSize;
  const int centre = size / 2;
  int count = 0;
  for (int ring = kFarthestRing; ring >= kNearestRing; --ring) {
    for (const auto& second : kSecondStones) {
      const bool straight = second[1] == 0;
      for (int dy = -ring; dy <= ring; ++dy) {
        for (int dx = -ring; dx <= ring; ++dx) {
          if (std::max(std::abs(dx), std::abs(dy)) != ring) continue;
          // The mirror through the first two stones; keep the cell that
          // comes first in row order.
          const int mirrorX = straight ? dx : dy;
          const int mirrorY = straight ? -dy : dx;
          if (std::pair{dy, dx} > std::pair{mirrorY, mirrorX}) continue;
          const int x = centre + dx;
          const int y = centre + dy;
          if (x < 0 || x >= size || y < 0 || y >= size || count == kMaxCandidates) continue;
          out[count++] = {
              {cellIndexOf(centre, centre), cellIndexOf(centre + second[0], centre + second[1]), cellIndexOf(x, y)}};
        }
      }
    }
  }
  return count;
}

// The most balanced candidate among those `counted`; the first of equals.
template <typename Counted>
int mostBalanced(const Candidate* candidates, int count, Counted counted) {
  int best = -1;
  for (int i = 0; i < count; ++i) {
    if (!counted(candidates[i])) continue;
    if (best < 0 || std::abs(candidates[i].whiteScore) < std::abs(candidates[best].whiteScore)) best = i;
  }
  return best;
}

// The kRefinedOpenings most balanced screened candidates, most balanced
// first (the first of equals first). Returns how many there are.
int mostBalancedScreened(Candidate* candidates, int count, Candidate** out) {
  Candidate* order[kMaxCandidates];
  for (int i = 0; i < count; ++i) order[i] = &candidates[i];
  std::stable_sort(order, order + count, [](const Candidate* a, const Candidate* b) {
    return a->screened && (!b->screened || std::abs(a->whiteScore) < std::abs(b->whiteScore));
  });
  int picked = 0;
  while (picked < std::min(count, kRefinedOpenings) && order[picked]->screened) {
    out[picked] = order[picked];
    ++picked;
  }
  return picked;
}

Swap2Answer proposeOpening(const Reporter& reporter, SharedSearch search, const DecisionClock& clock) {
  Candidate candidates[kMaxCandidates];
  const int count = candidateOpenings(candidates);
  const Reporter quiet = quietOf(reporter);

  for (Candidate& candidate : std::span(candidates, count)) {
    if (!clock.allows(clock.stableBudget / kScreeningShare)) break;
    setUpPosition(candidate.cells, kSwap2Opening);
    const SearchShare share{kScreeningShare, kScreeningShare * count};
    const RootOutcome outcome = search(quiet, kScreeningLimits, share, nullptr, 0);
    if (!outcome.searched) continue;
    candidate.whiteScore = outcome.score;
    candidate.screened = true;
  }

  Candidate* refining[kRefinedOpenings];
  const int refiningCount = mostBalancedScreened(candidates, count, refining);
  for (Candidate* candidate : std::span(refining, refiningCount)) {
    if (!clock.beforeHalfway()) break;
    setUpPosition(candidate->cells, kSwap2Opening);
    const RootOutcome outcome = search(quiet, kFullLimits, kRefineShare, nullptr, 0);
    if (!outcome.searched) continue;
    candidate->whiteScore = outcome.score;
    candidate->refined = true;
    reportScored(reporter, candidate->cells, kSwap2Opening, outcome.score, outcome.depth);
  }

  int chosen = mostBalanced(candidates, count, [](const Candidate& c) { return c.refined; });
  if (chosen < 0) chosen = mostBalanced(candidates, count, [](const Candidate& c) { return c.screened; });
  if (chosen < 0) chosen = 0;
  const int32_t* cells = candidates[chosen].cells;
  return stonesAnswer({cells[0], cells[1], cells[2]});
}

// ---------------------------------------------------------------------------
// Three stones: swap, stay White with the fourth, or place the fourth and
// fifth
// ---------------------------------------------------------------------------

Swap2Answer answerThreeStones(const Reporter& reporter, SharedSearch search, const DecisionClock& clock,
                              const int32_t* block) {
  const Reporter quiet = quietOf(reporter);
  setUpPosition(block, kSwap2Opening);
  const RootOutcome white = search(quiet, kFullLimits, kFourthShare, nullptr, 0);
  reportScored(reporter, block, kSwap2Opening, white.score, white.depth);
  if (white.move < 0) return swapAnswer();  // no empty cell in the searched square
  const int32_t fourth = cellOfMove(white.move);
  if (white.score > kBalancedMargin) return stonesAnswer({fourth});
  if (white.score < -kBalancedMargin) return swapAnswer();
  if (!clock.beforeHalfway()) return stonesAnswer({fourth});

  // Balanced: the opponent shall choose a colour in a position the engine
  // also scores as balanced.
  int32_t cells[kSwap2Extended] = {block[0], block[1], block[2], fourth, -1};
  setUpPosition(cells, kSwap2Opening + 1);
  int replies[kFifthLines];
  int replyCount = 0;
  int32_t fifth = -1;
  int fifthScore = 0;
  for (int line = 0; line < kFifthLines; ++line) {
    if (line > 0 && !clock.beforeHalfway()) break;
    const RootOutcome black = search(quiet, kFullLimits, kFifthShare, replies, replyCount);
    if (!black.searched) break;
    replies[replyCount++] = black.move;
    cells[kSwap2Extended - 1] = cellOfMove(black.move);
    const int whiteScore = -black.score;
    reportScored(reporter, cells, kSwap2Extended, whiteScore, black.depth);
    if (fifth < 0 || std::abs(whiteScore) < std::abs(fifthScore)) {
      fifth = cells[kSwap2Extended - 1];
      fifthScore = whiteScore;
    }
  }
  if (fifth < 0) return stonesAnswer({fourth});
  return stonesAnswer({fourth, fifth});
}

// ---------------------------------------------------------------------------
// Five stones: swap, or stay White with the sixth
// ---------------------------------------------------------------------------

Swap2Answer answerFiveStones(const Reporter& reporter, SharedSearch search, const int32_t* block) {
  setUpPosition(block, kSwap2Extended);
  const RootOutcome white = search(quietOf(reporter), kFullLimits, kWholeBudget, nullptr, 0);
  reportScored(reporter, block, kSwap2Extended, white.score, white.depth);
  if (white.move < 0 || white.score < 0) return swapAnswer();
  return stonesAnswer({cellOfMove(white.move)});
}

}  // namespace

Swap2Answer decideSwap2(const Reporter& reporter, SharedSearch search) {
  const DecisionClock clock;
  if (reporter.expectedTime != nullptr) reporter.expectedTime(reporter.context, clock.stableBudget);
  int32_t block[kSwap2Extended];
  const int blockCount = std::min(engine.recordCount, kSwap2Extended);
  std::copy(engine.recordMoves, engine.recordMoves + blockCount, block);

  Swap2Answer answer;
  if (blockCount == 0) {
    answer = proposeOpening(reporter, search, clock);
  } else if (blockCount == kSwap2Opening) {
    answer = answerThreeStones(reporter, search, clock, block);
  } else {
    answer = answerFiveStones(reporter, search, block);
  }
  std::copy(block, block + blockCount, engine.recordMoves);
  engine.recordCount = blockCount;
  return answer;
}

}  // namespace quenvik
