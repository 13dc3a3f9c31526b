#include "think/Game.h"

#include "AI/PositionTable.h"
#include "rules/Position.h"

namespace quenvik {

void newGame() {
  makeGameKeys();
  clearPositionTable();
}

}  // namespace quenvik
