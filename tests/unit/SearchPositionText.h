// Positions for the search and evaluation tests, written as text: one string
// per board row a, one character per column b: '.' empty, 'x' Black, 'o'
// White. The engine is set up as a decision would set it up: new game keys,
// the board, fresh patterns and the position key.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "AI/AIx.h"
#include "RulesBoardText.h"
#include "core/EngineState.h"
#include "rules/Patterns.h"
#include "rules/Position.h"
#include "think/Game.h"

namespace quenvik::test {

inline void setUpPositionText(const std::vector<std::string>& rows, Rule rule = Rule::Freestyle) {
  const int n = static_cast<int>(rows.size());
  resetEngine();
  engine.rule = rule;
  engine.gameSize = n;
  seedRandom(kMainThreadSeed);
  newGame();
  setBoardText(rows);
  engine.recordCount = engine.stoneCount;
  rebuildPatterns();
  engine.positionKey = computePositionKey();
}

// What the root decision sets before an iteration, with every empty cell a
// root candidate and no node limit.
inline void prepareSearchRoot() { prepareStandaloneRootSearch(0); }

}  // namespace quenvik::test
