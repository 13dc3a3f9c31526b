#include "threat/ThreatBoard.h"

#include <algorithm>

#include "rules/LineReading.h"
#include "rules/LineThreats.h"
#include "rules/LineViews.h"

namespace quenvik {

namespace {

constexpr int kFourReach = 4;
constexpr int kStraightFourReach = 3;
constexpr int kOthersInAFour = 3;

// Stones of colour within reach cells of (row, col), not counting the cell
// itself, on the line of direction d. A four through a cell needs three of
// them within four cells, a straight four three within three cells: lines
// with fewer are skipped without being copied.
int stonesNear(int direction, int row, int col, int32_t colour, int reach, int n) {
  const LineSlot slot = lineSlotOf(direction, row, col, n);
  const int32_t* line = engine.threatBoard.slots + slot.base;
  const int first = std::max(slot.position - reach, 0);
  const int last = std::min(slot.position + reach, n - 1);
  int count = 0;
  for (int q = first; q <= last; ++q) count += q != slot.position && line[q] == colour;
  return count;
}

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
  const int32_t colour = threatCell(row, col);
  if (colour == kEmpty) return 0;
  LineCells points[kDirections];
  for (int d = 0; d < kDirections; ++d) {
    points[d] = lineCells(0);
    if (stonesNear(d, row, col, colour, kFourReach, n) < kOthersInAFour) continue;
    points[d] = fivePointsOn(viewsLineKey(engine.threatBoard, d, row, col), colour);
  }
  // The first point of the line through (row, col) in direction d.
  const auto firstPoint = [&](int d) {
    return lineCellMove(d, row, col, cellPosition(points[d], 0, linePositionOf(d, row, col, n)), n);
  };
  // A line with two points of its own is already more than one stone can stop.
  for (int d = 0; d < kDirections; ++d) {
    if (points[d].count() >= 2) return firstPoint(d) | kManyFourPoints;
  }
  int first = -1;
  int lines = 0;
  for (int d = 0; d < kDirections; ++d) {
    if (points[d].count() == 0) continue;
    if (lines++ == 0) first = d;
  }
  if (lines == 0) return 0;
  return firstPoint(first) | (lines == 1 ? kOneFourPoint : kManyFourPoints);
}

bool couldMakeFour(int row, int col, int32_t colour) {
  const int n = engine.boardSize;
  for (int d = 0; d < kDirections; ++d) {
    if (stonesNear(d, row, col, colour, kFourReach, n) >= kOthersInAFour) return true;
  }
  return false;
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
  const int32_t v = line[p + 2];
  if (v != kBlack && v != kWhite) return false;
  const LineKey key = lineKeyOn(line + 2, p, engine.boardSize);
  return segmentClass(segmentOf(lineReadingFor(gameRule(), v), key)) == FourOpen;
}

bool openFourAt(int row, int col) {
  const int n = engine.boardSize;
  const int32_t colour = threatCell(row, col);
  if (colour == kEmpty) return false;
  const LineReading reading = lineReadingFor(gameRule(), colour);
  for (int d = 0; d < kDirections; ++d) {
    if (stonesNear(d, row, col, colour, kStraightFourReach, n) < kOthersInAFour) continue;
    if (segmentClass(segmentOf(reading, viewsLineKey(engine.threatBoard, d, row, col))) == FourOpen) return true;
  }
  return false;
}

}  // namespace quenvik
