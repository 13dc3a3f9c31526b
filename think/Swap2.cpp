#include "think/Swap2.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "core/EngineState.h"
#include "rules/Position.h"

namespace quenvik {

namespace {

// White's scores within this margin of 0 count as balanced: win rates of
// about 42% to 58% on the engine's fitted curve.
constexpr int kBalancedMargin = 5;

// After three stones: their position gets half the budgets; when it is
// balanced, Black's best replies to White's best fourth stone share the other
// half, and the most balanced of them is the fifth stone.
constexpr int kFourthParts = 2;
constexpr SearchShare kFourthShare{kFourthParts, kFourthParts};
constexpr int kFifthLines = 3;
constexpr int kFifthParts = kFourthParts * kFifthLines;
constexpr SearchShare kFifthShare{kFifthParts, kFifthParts};

constexpr SearchShare kWholeBudget{1, 1};

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

Swap2Answer swapAnswer() { return {true, 0, {}}; }

Swap2Answer stonesAnswer(std::initializer_list<int32_t> stones) {
  Swap2Answer answer{false, 0, {}};
  for (int32_t cell : stones) answer.stones[answer.stoneCount++] = cell;
  return answer;
}

// ---------------------------------------------------------------------------
// No stones: propose three
// ---------------------------------------------------------------------------

// The openings the engine considers: Black in the centre, White beside it
// (straight or diagonal), and Black's second stone two or three cells away
// from the first, one of each pair of mirror images. The farther stones come
// first: the engine scores most of them nearer to balance, and a short budget
// ends the screening before it has seen every candidate.
int candidateOpenings(TrialPosition* out) {
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
          if (x < 0 || x >= size || y < 0 || y >= size || count == kMaxTrials) continue;
          TrialPosition& opening = out[count++];
          opening.stones[0] = cellIndexOf(centre, centre);
          opening.stones[1] = cellIndexOf(centre + second[0], centre + second[1]);
          opening.stones[2] = cellIndexOf(x, y);
          opening.stoneCount = kSwap2Opening;
        }
      }
    }
  }
  return count;
}

void reportOpening(const Reporter& reporter, const TrialBase&, const TrialPosition& opening) {
  reportScored(reporter, opening.stones, kSwap2Opening, opening.score, opening.depth);
}

// The opening whose score for White lies nearest 0; the screening may take
// half the budget.
constexpr TrialGoal kOpeningGoal{0, 2, reportOpening};

// The opening whose score for White lies nearest 0.
Swap2Answer proposeOpening(const Reporter& reporter, SharedSearch search, const DecisionClock& clock) {
  TrialPosition candidates[kMaxTrials];
  const int count = candidateOpenings(candidates);
  const int chosen = nearestTrial(reporter, search, clock, {nullptr, 0}, candidates, count, kOpeningGoal);
  const int32_t* cells = candidates[chosen].stones;
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
