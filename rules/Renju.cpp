// Renju forbidden moves. A three counts only when one of its straight-four
// cells is itself an allowed move, so the test recurses through trial stones
// placed in the caller's LineViews; every level takes back what it placed.
#include "rules/Renju.h"

#include <algorithm>

#include "rules/LineReading.h"
#include "rules/LineViews.h"

namespace quenvik {

namespace {

inline bool isStone(int32_t v) { return v == kBlack || v == kWhite; }

// The segment a stone of colour v at position p of a padded line sees.
int paddedSegment(const int32_t* line, int p, int32_t v) {
  return segmentOf(lineReadingFor(gameRule(), v), lineKeyOn(line + 2, p, engine.boardSize));
}

// What a Black stone on one cell sees on its four lines, read once per cell
// test.
struct CellLines {
  int segment[kDirections];
  int position[kDirections];
};

void readCellLines(CellLines& lines, const LineViews& views, int a, int b) {
  const int n = engine.boardSize;
  const LineReading black = lineReadingFor(gameRule(), kBlack);
  for (int d = 0; d < kDirections; ++d) {
    lines.segment[d] = segmentOf(black, viewsLineKey(views, d, a, b));
    lines.position[d] = linePositionOf(d, a, b, n);
  }
}

bool fiveInLines(const CellLines& lines) {
  for (int d = 0; d < kDirections; ++d) {
    if (segmentClass(lines.segment[d]) == Five) return true;
  }
  return false;
}

int foursInLines(const CellLines& lines) {
  int fours = 0;
  for (int d = 0; d < kDirections; ++d) fours += segmentFours(lines.segment[d]);
  return fours;
}

bool overlineInLines(const CellLines& lines) {
  for (int d = 0; d < kDirections; ++d) {
    if (segmentClass(lines.segment[d]) == Overline) return true;
  }
  return false;
}

// A straight-four cell makes the three real when Black may play it and it
// does not already make a five.
bool isRealFourCell(LineViews& views, int direction, int a, int b, int q) {
  const Cell cell = cellOnLine(direction, a, b, q, engine.boardSize);
  return !makesFiveAt(views, cell.a, cell.b) && forbiddenKind(views, cell.a, cell.b) == Allowed;
}

// Counts real threes through (a, b), which holds Black; stops once `enough`
// directions have counted. A three with two straight-four cells is real when
// either is, the right one tried first.
int realThreesInLines(LineViews& views, const CellLines& lines, int a, int b, int enough) {
  int threes = 0;
  for (int d = 0; d < kDirections && threes < enough; ++d) {
    const LineCells cells = lineTable.straightFourCells[lines.segment[d]];
    bool real = false;
    for (int i = 0; i < cells.count() && !real; ++i) {
      real = isRealFourCell(views, d, a, b, cellPosition(cells, i, lines.position[d]));
    }
    if (real) ++threes;
  }
  return threes;
}

// Puts a Black stone on an empty cell for the lifetime of the guard.
struct TrialBlackStone {
  LineViews& views;
  int a;
  int b;
  bool placed;

  TrialBlackStone(LineViews& v, int cellA, int cellB) : views(v), a(cellA), b(cellB) {
    placed = viewsCell(views, a, b) == kEmpty;
    if (placed) setViewsCell(views, a, b, kBlack, engine.boardSize);
  }
  ~TrialBlackStone() {
    if (placed) setViewsCell(views, a, b, kEmpty, engine.boardSize);
  }
  TrialBlackStone(const TrialBlackStone&) = delete;
  TrialBlackStone& operator=(const TrialBlackStone&) = delete;
};

}  // namespace

int lineFive(const int32_t* line, int p) {
  const int32_t v = line[p + 2];
  return isStone(v) && segmentClass(paddedSegment(line, p, v)) == Five ? 1 : 0;
}

int lineOverline(const int32_t* line, int p) {
  if (!renju() || line[p + 2] != kBlack) return 0;
  return segmentClass(paddedSegment(line, p, kBlack)) == Overline ? 1 : 0;
}

int lineFours(const int32_t* line, int p) {
  const int32_t v = line[p + 2];
  if (!isStone(v)) return 0;
  // The exact reading, whatever the rule: the Renju test counts Black's fours.
  const LineKey key = lineKeyOn(line + 2, p, engine.boardSize);
  return segmentFours(segmentOf(lineReadingFor(Rule::ExactFive, v), key));
}

int32_t lineThree(const int32_t* line, int p) {
  const int32_t v = line[p + 2];
  if (!isStone(v)) return 0;
  const LineKey key = lineKeyOn(line + 2, p, engine.boardSize);
  const LineCells cells = lineTable.straightFourCells[segmentOf(lineReadingFor(Rule::ExactFive, v), key)];
  if (cells.count() == 0) return 0;
  if (cells.count() == 1) return kOneFourCell | cellPosition(cells, 0, p);
  return kTwoFourCells | cellPosition(cells, 1, p) << 8 | cellPosition(cells, 0, p);
}

bool makesFiveAt(LineViews& views, int a, int b) {
  CellLines lines;
  readCellLines(lines, views, a, b);
  return fiveInLines(lines);
}

int countRealThreesAt(LineViews& views, int a, int b) {
  CellLines lines;
  readCellLines(lines, views, a, b);
  return realThreesInLines(views, lines, a, b, kDirections);
}

int forbiddenKind(LineViews& views, int a, int b) {
  if (!renju()) return Allowed;
  if (viewsCell(views, a, b) == kWhite) return Allowed;
  const TrialBlackStone stone(views, a, b);
  // The nested tests take back their own stones, so these lines stay valid.
  CellLines lines;
  readCellLines(lines, views, a, b);
  if (fiveInLines(lines)) return Allowed;
  if (foursInLines(lines) >= 2) return DoubleFour;
  if (realThreesInLines(views, lines, a, b, 2) >= 2) return DoubleThree;
  if (overlineInLines(lines)) return OverlineKind;
  return Allowed;
}

}  // namespace quenvik
