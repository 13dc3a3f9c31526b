#include "threat/ThreatBoard.h"

#include <algorithm>

#include "Value/ValueW.h"
#include "rules/LineViews.h"

namespace quenvik {

namespace {

// findFourPoints answers at or above this when the line holds two points.
constexpr int kTwoLinePoints = 0x10000;
constexpr int kLinePositionMask = 0xFF;

// MoveNumber of position q on the line of direction d through (row, col).
int lineCellMove(int direction, int row, int col, int q, int n) {
  const Cell cell = cellOnLine(direction, row, col, q, n);
  return moveNumberOf(cell.a, cell.b, n);
}

}  // namespace

void rebuildThreatBoard() { buildLineViews(engine.threatBoard); }

void setThreatCell(int row, int col, int32_t colour) {
  setViewsCell(engine.threatBoard, row, col, colour, engine.boardSize);
}

int foursAt(int row, int col) {
  const int n = engine.boardSize;
  int points[kDirections];
  int32_t line[kPaddedLineLength];
  for (int d = 0; d < kDirections; ++d) {
    const int p = cutPaddedLine(line, engine.threatBoard, d, row, col, n);
    points[d] = findFourPoints(line, p);
  }
  // A line with two points of its own is already more than one stone can stop.
  for (int d = 0; d < kDirections; ++d) {
    if (points[d] >= kTwoLinePoints) {
      return lineCellMove(d, row, col, points[d] & kLinePositionMask, n) | kManyFourPoints;
    }
  }
  int first = -1;
  int lines = 0;
  for (int d = 0; d < kDirections; ++d) {
    if (points[d] == 0) continue;
    if (lines++ == 0) first = d;
  }
  if (lines == 0) return 0;
  const int cell = lineCellMove(first, row, col, points[first] & kLinePositionMask, n);
  return cell | (lines == 1 ? kOneFourPoint : kManyFourPoints);
}

int scanFours(int32_t colour) {
  const int n = engine.boardSize;
  int first = 0;
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      if (threatCell(row, col) != colour) continue;
      const int x = foursAt(row, col);
      if (x == 0) continue;
      if (x >= kManyFourPoints) return x;
      // The same point seen from another stone or line is not a second one.
      if (first == 0) {
        first = x;
      } else if (x != first) {
        return x | kManyFourPoints;
      }
    }
  }
  return first;
}

bool isStraightFour(const int32_t* line, int p) {
  const int n = engine.boardSize;
  const int32_t v = line[p + 2];
  if (v == kEmpty) return false;
  // Filling an end must make exactly five where longer lines do not count.
  const bool exact = exactFiveOn() || (renjuOn() && v == kBlack);
  const int last = std::min(p + 2, n - 2);
  for (int i = std::max(p - 1, 2); i <= last; ++i) {
    if (line[i] + line[i + 1] + line[i + 2] + line[i + 3] != 4 * v) continue;
    if (line[i - 1] != kEmpty || line[i + 4] != kEmpty) continue;
    if (exact && (line[i - 2] == v || line[i + 5] == v)) continue;
    return true;
  }
  return false;
}

bool openFourAt(int row, int col) {
  const int n = engine.boardSize;
  int32_t line[kPaddedLineLength];
  for (int d = 0; d < kDirections; ++d) {
    const int p = cutPaddedLine(line, engine.threatBoard, d, row, col, n);
    if (isStraightFour(line, p)) return true;
  }
  return false;
}

}  // namespace quenvik
