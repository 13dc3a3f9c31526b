// Setting up the engine for the threat search tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/EngineState.h"
#include "rules/LineViews.h"
#include "threat/ThreatBoard.h"
#include "threat/ThreatLine.h"

namespace quenvik::test {

// "x,y x,y ..." in protocol cells (engine row x, column y).
inline std::vector<std::pair<int, int>> parseThreatCells(const char* text) {
  std::vector<std::pair<int, int>> cells;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    const auto comma = word.find(',');
    cells.emplace_back(std::stoi(word.substr(0, comma)), std::stoi(word.substr(comma + 1)));
  }
  return cells;
}

inline void setThreatRule(const std::string& rule) { engine.rule = ruleFromName(rule).value(); }

// A fresh engine board with the given stones, the search switched on and not
// stopped, and threatBoard, threatLine and threatStore matching it.
inline void setUpThreatBoard(int n, const std::string& rule, const char* black, const char* white) {
  resetSettings();
  resetThinkControl();
  resetPosition();
  resetThreatSearch();
  setThreatRule(rule);
  engine.boardSize = n;
  for (const auto& [x, y] : parseThreatCells(black)) {
    engine.board[x][y] = kBlack;
    ++engine.stoneCount;
  }
  for (const auto& [x, y] : parseThreatCells(white)) {
    engine.board[x][y] = kWhite;
    ++engine.stoneCount;
  }
  engine.threatComplete = 1;
  rebuildThreatBoard();
}

inline int cellOf(int x, int y) { return moveNumberOf(x, y, engine.boardSize); }

// What no threat search call may change.
struct ThreatSnapshot {
  int32_t board[kGridWidth][kGridWidth];
  int32_t stoneCount;
  std::u16string threatLine;
  LineViews threatBoard;
};

inline ThreatSnapshot takeThreatSnapshot() {
  ThreatSnapshot snapshot;
  std::memcpy(snapshot.board, engine.board, sizeof snapshot.board);
  snapshot.stoneCount = engine.stoneCount;
  snapshot.threatLine = engine.threatLine;
  snapshot.threatBoard = engine.threatBoard;
  return snapshot;
}

// The root form leaves threatBoard equal to board; the node form leaves it
// as it found it. Either way it must hold what the snapshot held.
inline void expectThreatStateUnchanged(const ThreatSnapshot& before) {
  EXPECT_EQ(std::memcmp(before.board, engine.board, sizeof before.board), 0) << "board changed";
  EXPECT_EQ(before.stoneCount, engine.stoneCount);
  EXPECT_EQ(before.threatLine, engine.threatLine);
  EXPECT_EQ(std::memcmp(before.threatBoard.slots, engine.threatBoard.slots, sizeof before.threatBoard.slots), 0)
      << "threatBoard changed";
}

}  // namespace quenvik::test
