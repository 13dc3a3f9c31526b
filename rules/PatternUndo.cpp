#include "rules/PatternUndo.h"

namespace quenvik {

PatternMark startPatternHistory() {
  engine.patternUndoLog.clear();
  engine.patternUndoLog.reserve(kPatternUndoReserve);
  return 0;
}

void undoPatternsTo(PatternMark mark) {
  std::vector<PatternUndoEntry>& log = engine.patternUndoLog;
  PatternState& state = engine.patterns;
  // Newest first, so a cell logged twice ends with its oldest value.
  for (std::size_t i = log.size(); i > mark; --i) {
    const PatternUndoEntry& entry = log[i - 1];
    const int a = entry.cell / kGridWidth;
    const int b = entry.cell % kGridWidth;
    state.cellStateMap[a][b] = entry.stateMap;
    for (int c = 0; c < 2; ++c) {
      for (int d = 0; d < kDirections; ++d) state.patternCodes[c][a][b][d] = entry.codes[c][d];
      state.cellRank[c][a][b] = entry.rank[c];
      state.cellLevel[c][a][b] = entry.level[c];
    }
  }
  log.resize(mark);
}

}  // namespace quenvik
