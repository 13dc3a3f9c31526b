// One-ply cell scoring and the fallback move chosen from it.
#include "rules/Fallback.h"

#include "core/EngineState.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Renju.h"

namespace quenvik {

namespace {

constexpr int32_t kForbiddenScore = -100000;
constexpr int kMaxCells = kGridWidth * kGridWidth;

// What one colour's four pattern codes hold, by the groups the score weighs:
// the shared counts of threes, fours, fives and overlines, and the weaker
// classes only this score tells apart.
struct LineCounts {
  int oneOpen = 0;
  int twoClosed = 0;
  int twoOpen = 0;
  int threeClosed = 0;
  int threeOpen = 0;
  int fours = 0;  // a Four counts its count, a FourOpen one
  int fourOpen = 0;
  int fives = 0;
  int overlines = 0;
};

LineCounts countScoredLines(const int32_t* codes) {
  const CellCounts shared = countLines(codes);
  LineCounts counts;
  counts.threeOpen = shared.openThrees;
  counts.fours = shared.fours;
  counts.fives = shared.fives;
  counts.overlines = shared.overlines;
  for (int d = 0; d < kDirections; ++d) {
    switch (patternClassOf(codes[d])) {
      case OneOpen:
        ++counts.oneOpen;
        break;
      case TwoClosed:
        ++counts.twoClosed;
        break;
      case TwoOpenA:
      case TwoOpenB:
      case TwoOpenC:
        ++counts.twoOpen;
        break;
      case ThreeClosed:
        ++counts.threeClosed;
        break;
      case FourOpen:
        ++counts.fourOpen;
        break;
      default:
        break;
    }
  }
  return counts;
}

int32_t attackValue(const LineCounts& own) {
  int32_t value = own.oneOpen + own.twoClosed + 5 * own.twoOpen + 10 * own.threeClosed + 12 * own.threeOpen +
                  16 * own.fours + 6000 * own.fourOpen + 1000000 * own.fives;
  if (own.threeOpen >= 2) value += 100;
  if (own.fours >= 2) value += 4000;
  if (own.fours > 0 && own.threeOpen > 0) value += 3000;
  return value;
}

bool forbiddenForBlack(int a, int b, const LineCounts& own) {
  switch (blackVerdictFromCounts(own.fives, own.fours, own.overlines, own.threeOpen)) {
    case BlackVerdict::Forbidden:
      return true;
    case BlackVerdict::NeedsFullTest: {
      LineViews views;
      buildLineViews(views);
      return forbiddenKind(views, a, b) != Allowed;
    }
    default:
      return false;
  }
}

}  // namespace

int32_t scoreCell(int a, int b, int32_t colour) {
  const int own = colourIndex(colour);
  const LineCounts mine = countScoredLines(engine.patterns.patternCodes[own][a][b]);
  const LineCounts theirs = countScoredLines(engine.patterns.patternCodes[1 - own][a][b]);

  int32_t attack = attackValue(mine);
  if (renju() && colour == kBlack && forbiddenForBlack(a, b, mine)) attack = kForbiddenScore;

  int32_t score = 5 * (attack + theirs.twoOpen + theirs.threeClosed + 6 * theirs.threeOpen + 11 * theirs.fours +
                       3000 * theirs.fourOpen + 50000 * theirs.fives + (theirs.threeOpen >= 2 ? 15 : 0) +
                       (theirs.fours >= 2 ? 2000 : 0));
  if (theirs.fours > 0 && theirs.threeOpen > 0) score += 7500;
  return score;
}

int fallbackMove() {
  const int n = engine.boardSize;
  if (engine.stoneCount == 0) return moveNumberOf(n / 2, n / 2, n);
  updatePatterns();
  const int32_t side = sideToMove();

  int tied[kMaxCells];
  int tiedCount = 0;
  int32_t best = 0;
  // Kept in case no cell reaches 0: then the best empty cell is played anyway.
  int bestNegative = -1;
  int32_t bestNegativeScore = 0;
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (engine.board[a][b] != kEmpty) continue;
    const int32_t score = scoreCell(a, b, side);
    if (score >= best) {
      if (score > best) tiedCount = 0;
      tied[tiedCount++] = m;
      best = score;
    } else if (bestNegative < 0 || score > bestNegativeScore) {
      bestNegative = m;
      bestNegativeScore = score;
    }
  }
  if (tiedCount == 0) return bestNegative;  // -1 only when no cell is empty
  return tied[drawRandom() % tiedCount];
}

}  // namespace quenvik
