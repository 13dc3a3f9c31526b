// Taking pattern updates back: every update logs the cells it rewrites, and
// undoing to a mark writes the logged values back, newest first.
#pragma once

#include <cstddef>

#include "core/EngineState.h"

namespace quenvik {

// An update logs at most every cell, and a search nests one update per ply:
// with this much room reserved the log never allocates during a search.
constexpr std::size_t kPatternUndoReserve = std::size_t{kMaxSearchPlies} * kGridWidth * kGridWidth;

// A point in the update history.
using PatternMark = std::size_t;

// The current point of the history.
inline PatternMark markPatterns() { return engine.patternUndoLog.size(); }

// Forgets the history before now (the root of a search: nothing there is
// ever taken back) and returns the mark of now.
PatternMark startPatternHistory();

// Restores the pattern state exactly as it was at the mark, whatever updates
// and undos came after it.
void undoPatternsTo(PatternMark mark);

// Logs cell (a, b) before an update rewrites it.
inline void logCellForUndo(int a, int b) {
  const PatternState& state = engine.patterns;
  PatternUndoEntry entry;
  entry.cell = a * kGridWidth + b;
  entry.stateMap = state.cellStateMap[a][b];
  for (int c = 0; c < 2; ++c) {
    for (int d = 0; d < kDirections; ++d) entry.codes[c][d] = state.patternCodes[c][a][b][d];
    entry.rank[c] = state.cellRank[c][a][b];
    entry.level[c] = state.cellLevel[c][a][b];
  }
  engine.patternUndoLog.push_back(entry);
}

}  // namespace quenvik
