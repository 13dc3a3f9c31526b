// Line classification and the incrementally kept pattern state of every empty
// cell. Runs at every search node: no allocation, no output.
#include "rules/Patterns.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "rules/LineReading.h"
#include "rules/LineViews.h"
#include "rules/PatternTable.h"
#include "rules/PatternUndo.h"
#include "rules/Renju.h"

namespace quenvik {

namespace {

// Step from position q to q + 1 along each direction's line, as a board step.
constexpr int kLineStepA[kDirections] = {0, 1, -1, -1};
constexpr int kLineStepB[kDirections] = {1, 0, 1, -1};

// A cell five away can change a class only where six in a row is not a five,
// or where it can flank a five (Caro).
constexpr int kFreeRadius = 4;
constexpr int kExactRadius = 5;

constexpr int kLevelFive = 6;
constexpr int kLevelStraightFour = 5;
constexpr int kLevelFour = 4;
constexpr int kLevelOpenThree = 3;

constexpr int kAllDirections = 0xF;

// What one direction's pattern code adds to its cell's summary. The counts
// are packed a byte each, so four directions add up in one sum.
struct LineSummary {
  uint8_t key;  // orders the directions for the rank
  uint8_t level;
  uint32_t counts;
};

constexpr int kOpenThreeShift = 0;
constexpr int kFourShift = 8;
constexpr int kFiveShift = 16;
constexpr int kOverlineShift = 24;

constexpr int kPatternClasses = 16;
constexpr int kPatternCounts = 16;

constexpr int summaryIndex(int32_t code) { return patternClassOf(code) * kPatternCounts + patternCountOf(code); }

constexpr LineSummary lineSummaryOf(int32_t patternClass, int32_t count) {
  LineSummary summary{0, 0, 0};
  // A double four in one line orders like an open three; an overline like a
  // dead line.
  summary.key = static_cast<uint8_t>((patternClass == Four && count == 2) ? ThreeOpenSingle : patternClass % Overline);
  switch (patternClass) {
    case ThreeOpenSingle:
    case ThreeOpenDouble:
      summary.level = kLevelOpenThree;
      summary.counts = 1u << kOpenThreeShift;
      break;
    case Four:
      summary.level = kLevelFour;
      summary.counts = static_cast<uint32_t>(count) << kFourShift;
      break;
    case FourOpen:
      summary.level = kLevelStraightFour;
      summary.counts = 1u << kFourShift;
      break;
    case Five:
      summary.level = kLevelFive;
      summary.counts = 1u << kFiveShift;
      break;
    case Overline:
      summary.counts = 1u << kOverlineShift;
      break;
    default:
      break;
  }
  return summary;
}

constexpr std::array<LineSummary, kPatternClasses * kPatternCounts> makeLineSummaries() {
  std::array<LineSummary, kPatternClasses * kPatternCounts> table{};
  for (int c = 0; c < kPatternClasses; ++c) {
    for (int k = 0; k < kPatternCounts; ++k) table[c * kPatternCounts + k] = lineSummaryOf(c, k);
  }
  return table;
}
constexpr auto kLineSummaries = makeLineSummaries();

int countField(uint32_t counts, int shift) { return static_cast<int>((counts >> shift) & 0xFF); }

// A LineViews of the current board, built only when a cell first needs the
// full forbidden test; the board does not change while the state is updated.
struct LazyViews {
  LineViews views;
  bool built = false;

  LineViews& get() {
    if (!built) {
      buildLineViews(views);
      built = true;
    }
    return views;
  }
};

void summarizeCellWith(int a, int b, LazyViews& views) {
  PatternState& state = engine.patterns;
  const CellCounts black = countLines(state.patternCodes[0][a][b]);
  int32_t blackRank = black.rank;
  int32_t blackLevel = black.level;
  if (renju()) {
    bool forbidden = false;
    switch (blackVerdictFromCounts(black.fives, black.fours, black.overlines, black.openThrees)) {
      case BlackVerdict::Forbidden:
        forbidden = true;
        break;
      case BlackVerdict::NeedsFullTest:
        // The answer can change with stones beyond the radius: test it again
        // at the next update.
        engine.forbiddenCheckList.push_back(a + kGridWidth * b);
        forbidden = forbiddenKind(views.get(), a, b) != Allowed;
        break;
      case BlackVerdict::Allowed:
        break;
    }
    if (forbidden) {
      blackRank = 0;
      blackLevel = 0;
    }
  }
  state.cellRank[0][a][b] = blackRank;
  state.cellLevel[0][a][b] = blackLevel;

  const CellCounts white = countLines(state.patternCodes[1][a][b]);
  state.cellRank[1][a][b] = white.rank;
  state.cellLevel[1][a][b] = white.level;
}

void markRays(uint8_t (*marks)[kGridWidth], int a, int b, int radius) {
  const int n = engine.boardSize;
  marks[a][b] = kAllDirections;
  for (int d = 0; d < kDirections; ++d) {
    for (int sign = -1; sign <= 1; sign += 2) {
      const int stepA = sign * kLineStepA[d];
      const int stepB = sign * kLineStepB[d];
      int32_t rayColour = kEmpty;
      for (int k = 1; k <= radius; ++k) {
        const int ca = a + k * stepA;
        const int cb = b + k * stepB;
        if (ca < 0 || ca >= n || cb < 0 || cb >= n) break;
        const int32_t v = engine.board[ca][cb];
        if (v != kEmpty) {
          // Beyond stones of both colours no scan reaches back to (a, b).
          if (rayColour == kEmpty) {
            rayColour = v;
          } else if (v != rayColour) {
            break;
          }
        }
        marks[ca][cb] |= static_cast<uint8_t>(1 << d);
      }
    }
  }
}

// The rows and columns that hold every mark, so the update visits only them
// (in the same row-major order).
struct MarkedBox {
  int firstA = kGridWidth;
  int lastA = -1;
  int firstB = kGridWidth;
  int lastB = -1;

  void cover(int a0, int a1, int b0, int b1) {
    firstA = std::min(firstA, a0);
    lastA = std::max(lastA, a1);
    firstB = std::min(firstB, b0);
    lastB = std::max(lastB, b1);
  }
};

}  // namespace

CellCounts countLines(const int32_t* codes) {
  int best = 0;
  int second = 0;
  int level = 0;
  uint32_t counts = 0;
  for (int d = 0; d < kDirections; ++d) {
    const LineSummary& line = kLineSummaries[summaryIndex(codes[d])];
    const int key = line.key;
    // The two largest keys so far, without a branch the data decides.
    second = std::max(second, std::min(best, key));
    best = std::max(best, key);
    level = std::max<int>(level, line.level);
    counts += line.counts;
  }
  return {pairRankTable[best][second],         level,
          countField(counts, kOpenThreeShift), countField(counts, kFourShift),
          countField(counts, kFiveShift),      countField(counts, kOverlineShift)};
}

int32_t classifyLine(const int32_t* line, int position) {
  const int32_t s = line[position + 2];
  if (s != kBlack && s != kWhite) return 0;
  const LineKey key = lineKeyOn(line + 2, position, engine.boardSize);
  return linePatternCode(segmentOf(lineReadingFor(gameRule(), s), key));
}

namespace {

// Both colours' readings of the current rule, taken once per update.
struct ColourReadings {
  LineReading black;
  LineReading white;
};

ColourReadings colourReadings() {
  const Rule rule = gameRule();
  return {lineReadingFor(rule, kBlack), lineReadingFor(rule, kWhite)};
}

// Reads the board directly: one key, both colours.
void updateDirectionWith(const ColourReadings& readings, int a, int b, int d) {
  const LineKey key = boardLineKey(a, b, d);
  engine.patterns.patternCodes[0][a][b][d] = linePatternCode(segmentOf(readings.black, key));
  engine.patterns.patternCodes[1][a][b][d] = linePatternCode(segmentOf(readings.white, key));
}

}  // namespace

void updateDirection(int a, int b, int d) { updateDirectionWith(colourReadings(), a, b, d); }

void updatePatterns() {
  const int n = engine.boardSize;
  const int radius = gameRule() == Rule::Freestyle ? kFreeRadius : kExactRadius;
  PatternState& state = engine.patterns;
  uint8_t marks[kGridWidth][kGridWidth];  // bit d: recompute direction d
  std::memset(marks, 0, sizeof marks);
  MarkedBox box;

  for (int a = 0; a < n; ++a) {
    if (std::memcmp(engine.board[a], state.cellStateMap[a], sizeof(int32_t) * n) == 0) continue;
    for (int b = 0; b < n; ++b) {
      if (engine.board[a][b] == state.cellStateMap[a][b]) continue;
      markRays(marks, a, b, radius);
      box.cover(std::max(0, a - radius), std::min(n - 1, a + radius), std::max(0, b - radius),
                std::min(n - 1, b + radius));
    }
  }

  if (renju()) {
    // Whether a double three is real can depend on stones far away, so the
    // cells that needed the full test last time are tested again.
    std::swap(engine.previousForbiddenCheckList, engine.forbiddenCheckList);
    engine.forbiddenCheckList.clear();
    for (const int32_t cell : engine.previousForbiddenCheckList) {
      const int a = cell % kGridWidth;
      const int b = cell / kGridWidth;
      // The list may come from an earlier decision on a larger board.
      if (a < n && b < n) {
        marks[a][b] = kAllDirections;
        box.cover(a, a, b, b);
      }
    }
  }

  LazyViews views;
  const ColourReadings readings = colourReadings();
  for (int a = box.firstA; a <= box.lastA; ++a) {
    for (int b = box.firstB; b <= box.lastB; ++b) {
      // An unmarked cell already holds its board value and keeps its entries.
      if (marks[a][b] == 0) continue;
      const int32_t v = engine.board[a][b];
      if (v != kEmpty) {
        if (state.cellStateMap[a][b] != v) {
          logCellForUndo(a, b);
          state.cellStateMap[a][b] = v;
        }
        continue;
      }
      logCellForUndo(a, b);
      state.cellStateMap[a][b] = v;
      for (int d = 0; d < kDirections; ++d) {
        if (marks[a][b] & (1 << d)) updateDirectionWith(readings, a, b, d);
      }
      summarizeCellWith(a, b, views);
    }
  }
}

void rebuildPatterns() {
  // At most one entry per cell: reserving once keeps every later update of
  // the lists free of allocation.
  engine.forbiddenCheckList.reserve(kGridWidth * kGridWidth);
  engine.previousForbiddenCheckList.reserve(kGridWidth * kGridWidth);
  engine.patternUndoLog.reserve(kPatternUndoReserve);
  const int n = engine.boardSize;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      // A value the board cell cannot hold, so every cell counts as changed.
      const int32_t v = engine.board[a][b];
      engine.patterns.cellStateMap[a][b] = v == kEmpty ? 1 : (v == kBlack ? -1 : 0);
    }
  }
  updatePatterns();
  engine.patternUndoLog.clear();  // nothing before a rebuild is taken back
}

}  // namespace quenvik
