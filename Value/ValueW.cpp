#include "Value/ValueW.h"

#include <algorithm>
#include <cmath>

#include "Value/EvalTables.h"
#include "core/EngineState.h"
#include "rules/LineThreats.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"

namespace quenvik {

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

namespace {

constexpr double kTempo = 20.0;
constexpr double kShapeWeight = 0.8;
constexpr double kThreatUnit = 65536.0;
constexpr double kHalfThreatUnit = 32768.0;
constexpr double kFivePointOwn = 16777216.0;  // evalOwn of a five point is above it
constexpr double kFourThreeThreat = 32768.0;  // evalThreat of a four-three or stronger is above it
constexpr int kFivePointUnits = 256;          // K from here up: the side that has just moved has a five point
constexpr int kLostUnits = -8;                // K from here down: the side to move wins outright

struct Offset {
  int da;
  int db;
  int direction;  // the line joining the neighbour to the stone
};

constexpr Offset kNeighbours[8] = {{0, -1, 0}, {0, 1, 0},  {-1, 0, 1},  {1, 0, 1},
                                   {-1, 1, 2}, {1, -1, 2}, {-1, -1, 3}, {1, 1, 3}};

// Shape of a stone of colour z: -5 when all eight neighbours are empty and
// alive for z, 4 - v when it is hemmed in on five or more sides, else 0.
double stoneShape(int a, int b, int32_t z) {
  const int n = engine.boardSize;
  const int zi = colourIndex(z);
  int v = 1;
  for (const Offset& o : kNeighbours) {
    const int na = a + o.da;
    const int nb = b + o.db;
    if (na < 0 || na >= n || nb < 0 || nb >= n || engine.board[na][nb] != kEmpty ||
        patternClassOf(engine.patterns.patternCodes[zi][na][nb][o.direction]) == Dead) {
      ++v;
    }
  }
  if (v == 1) return -5.0;
  if (v <= 5) return 0.0;
  return 4.0 - v;
}

// Completion cell of the first line through (a, b), in direction order, on
// which the stone there makes a four; false when no line does.
bool firstFourBlock(int a, int b, Cell& block) {
  const int n = engine.boardSize;
  const int32_t colour = engine.board[a][b];
  for (int d = 0; d < kDirections; ++d) {
    const LineCells points = fivePointsOn(boardLineKey(a, b, d), colour);
    if (points.count() != 0) {
      block = cellOnLine(d, a, b, cellPosition(points, 0, linePositionOf(d, a, b, n)), n);
      return true;
    }
  }
  return false;
}

bool makesAnyFour(int a, int b) {
  Cell unused;
  return firstFourBlock(a, b, unused);
}

// Whether the side to move y wins by playing its four-three at (a, b): the
// forced block of the four gives the defender x no four of its own.
bool fourThreeWins(int a, int b, int32_t x, int32_t y) {
  engine.board[a][b] = y;
  engine.stoneCount += 1;
  Cell block;
  bool wins = false;
  if (firstFourBlock(a, b, block)) {
    engine.board[block.a][block.b] = x;
    engine.stoneCount += 1;
    wins = !makesAnyFour(block.a, block.b);
    engine.board[block.a][block.b] = kEmpty;
    engine.stoneCount -= 1;
  }
  engine.board[a][b] = kEmpty;
  engine.stoneCount -= 1;
  return wins;
}

}  // namespace

double evaluatePosition(int32_t x) {
  const int n = engine.boardSize;
  const int32_t y = -x;
  const int xi = colourIndex(x);
  const int yi = colourIndex(y);
  const auto& rank = engine.patterns.cellRank;

  double own = 0.0;
  double threat = 0.0;
  double shapeTerm = 0.0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      const int32_t cell = engine.board[a][b];
      if (cell == kEmpty) {
        own += evalOwn[rank[xi][a][b]];
        threat += evalThreat[rank[yi][a][b]];
      } else if (cell == x) {
        shapeTerm += stoneShape(a, b, x);
      } else {
        shapeTerm -= stoneShape(a, b, y);
      }
    }
  }

  const double diff = own - threat;
  if (-kHalfThreatUnit < diff && diff < kHalfThreatUnit) return diff - kTempo + kShapeWeight * shapeTerm;
  const int k = static_cast<int>(std::floor((diff + kHalfThreatUnit) / kThreatUnit));

  if (k >= kFivePointUnits) {
    // y must block the first five point of x, rows first.
    for (int a = 0; a < n; ++a) {
      for (int b = 0; b < n; ++b) {
        if (engine.board[a][b] != kEmpty || evalOwn[rank[xi][a][b]] < kFivePointOwn) continue;
        if (renju() && rank[yi][a][b] == 0) return kEvalDecided;  // the block is forbidden to Black
        engine.board[a][b] = y;
        engine.stoneCount += 1;
        updatePatterns();
        const double r = evaluatePosition(y);
        // The caller restores the pattern state; updatePatterns repairs it from the board difference.
        engine.board[a][b] = kEmpty;
        engine.stoneCount -= 1;
        return -r;
      }
    }
    return kEvalDecided;  // not reached: K this high needs a five point of x
  }
  if (k <= kLostUnits) return -kEvalDecided;
  if (k >= 0) return -kEvalDecided;  // cannot arise with these weights

  // One to seven four-three cells of y: each is a win unless the forced block
  // makes a four of x's.
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (engine.board[a][b] != kEmpty || evalThreat[rank[yi][a][b]] < kFourThreeThreat) continue;
      if (fourThreeWins(a, b, x, y)) return -kEvalDecided;
    }
  }
  return diff - kTempo + kShapeWeight * shapeTerm - kThreatUnit * k;
}

}  // namespace quenvik
