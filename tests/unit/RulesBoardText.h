// Test positions written as text: one string per board row a, one character
// per column b: '.' empty, 'x' Black, 'o' White.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "core/EngineState.h"

namespace quenvik::test {

inline void setRule(Rule rule) { engine.rule = rule; }

// Sets boardSize, board and stoneCount; the pattern state is left alone.
inline void setBoardText(const std::vector<std::string>& rows) {
  const int n = static_cast<int>(rows.size());
  engine.boardSize = n;
  std::memset(engine.board, 0, sizeof engine.board);
  engine.stoneCount = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      const char c = rows[a][b];
      engine.board[a][b] = c == 'x' ? kBlack : c == 'o' ? kWhite : kEmpty;
      engine.stoneCount += c == 'x' || c == 'o';
    }
  }
}

inline void setEmptyBoard(int n) { setBoardText(std::vector<std::string>(n, std::string(n, '.'))); }

}  // namespace quenvik::test
