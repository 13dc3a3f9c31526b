#include "rules/Position.h"

#include <algorithm>

#include "rules/LineReading.h"
#include "rules/Patterns.h"

namespace quenvik {

void makeGameKeys() {
  for (auto& table : engine.stoneKeys) {
    for (uint64_t& key : table) {
      const uint64_t r1 = static_cast<uint64_t>(drawRandom());
      const uint64_t r2 = static_cast<uint64_t>(drawRandom());
      const uint64_t r3 = static_cast<uint64_t>(drawRandom());
      const uint64_t r4 = static_cast<uint64_t>(drawRandom());
      const uint64_t r5 = static_cast<uint64_t>(drawRandom());
      key = r1 ^ (r2 << 15) ^ (r3 << 30) ^ (r4 << 45) ^ (r5 << 60);
    }
  }
}

SearchSquare searchWindow(const int32_t* recordMoves, int recordCount, int gameSize) {
  int minX = 20, maxX = -1, minY = 20, maxY = -1;
  for (int i = 0; i < recordCount; ++i) {
    const int x = cellIndexX(recordMoves[i]);
    const int y = cellIndexY(recordMoves[i]);
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
  int originX = std::max(minX - 4, 0);
  int endX = std::min(maxX + 4, gameSize - 1);
  int originY = std::max(minY - 4, 0);
  int endY = std::min(maxY + 4, gameSize - 1);
  int k = 0;
  // Grow the smaller span, alternating low and high edges with one counter.
  while (endX - originX != endY - originY) {
    ++k;
    const bool growX = endX - originX < endY - originY;
    int& origin = growX ? originX : originY;
    int& end = growX ? endX : endY;
    if (k % 2 == 1) {
      if (origin > 0)
        --origin;
      else
        ++end;
    } else {
      if (end < gameSize - 1)
        ++end;
      else
        --origin;
    }
  }
  return {originX, originY, endX - originX + 1};
}

SearchSquare chooseSearchSquare() {
  if (engine.fullBoard.load() != 0) return {0, 0, engine.gameSize};
  return searchWindow(engine.recordMoves, engine.recordCount, engine.gameSize);
}

void setUpEngineBoard(const SearchSquare& square) {
  const int n = square.size;
  engine.boardSize = n;
  engine.boardOriginX = square.originX;
  engine.boardOriginY = square.originY;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) engine.board[a][b] = kEmpty;
  }
  engine.stoneCount = 0;
  rebuildPatterns();
  for (int i = 0; i < engine.recordCount; ++i) {
    const int c = engine.recordMoves[i];
    engine.board[cellIndexX(c) - square.originX][cellIndexY(c) - square.originY] = (i % 2 == 0) ? kBlack : kWhite;
  }
  engine.stoneCount = engine.recordCount;
}

uint64_t computePositionKey() {
  const int n = engine.boardSize;
  uint64_t key = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      const int32_t v = engine.board[a][b];
      if (v == kBlack) key ^= engine.stoneKeys[0][moveNumberOf(a, b, n)];
      if (v == kWhite) key ^= engine.stoneKeys[1][moveNumberOf(a, b, n)];
    }
  }
  return key;
}

bool stoneMakesFive(int32_t colour, int a, int b) {
  return makesFiveOn(engine.board, engine.boardSize, gameRule(), colour, a, b);
}

}  // namespace quenvik
