// The line threat finders on padded lines, as the words their callers and
// tests have always read.
#include "rules/LineThreats.h"

namespace quenvik {

namespace {

constexpr int kOneCell = 0x100;
constexpr int kTwoCells = 0x10000;
constexpr int kThreeCells = 0x1000000;

// The cells of a line question as line positions packed a byte each, with
// the flag of their count.
int lineWord(LineCells cells, int p) {
  constexpr int kCountFlag[] = {0, kOneCell, kTwoCells, kThreeCells};
  int word = kCountFlag[cells.count()];
  for (int i = 0; i < cells.count(); ++i) word |= cellPosition(cells, i, p) << (8 * i);
  return word;
}

bool isStone(int32_t v) { return v == kBlack || v == kWhite; }

}  // namespace

int findFourPoints(const int32_t* line, int p) {
  const int32_t v = line[p + 2];
  if (!isStone(v)) return 0;
  return lineWord(fivePointsOn(lineKeyOn(line + 2, p, engine.boardSize), v), p);
}

int findThreeDefence(const int32_t* line, int p) {
  const int32_t v = line[p + 2];
  if (!isStone(v)) return 0;
  return lineWord(threeDefenceOn(lineKeyOn(line + 2, p, engine.boardSize), v), p);
}

}  // namespace quenvik
