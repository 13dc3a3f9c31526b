#include "think/Analysis.h"

#include <algorithm>
#include <cmath>

#include "AI/PositionTable.h"

namespace quenvik {

int movesToFive(int score) {
  const int ply = kWinScore - std::abs(score);
  return std::max(1, ply / 2 + 1);
}

double winRate(int score) {
  if (score >= kDecidedScore) return 1.0;
  if (score <= -kDecidedScore) return 0.0;
  return 1.0 / (1.0 + std::exp(-static_cast<double>(score) / kWinRateScale));
}

int bestLineFrom(int first, int* lineX, int* lineY) {
  const int n = engine.boardSize;
  int played[kMaxBestLine];
  int length = 0;
  int32_t side = sideToMove();
  uint64_t key = engine.positionKey;
  for (int move = first; length < kMaxBestLine;) {
    const int a = moveRow(move, n);
    const int b = moveColumn(move, n);
    engine.board[a][b] = side;
    key ^= engine.stoneKeys[colourIndex(side)][move];
    played[length] = move;
    lineX[length] = engine.boardOriginX + a;
    lineY[length] = engine.boardOriginY + b;
    ++length;
    side = -side;
    const TableEntry* reply = tableLookup(key);
    if (reply == nullptr || reply->move < 0 || reply->move >= n * n) break;
    move = reply->move;
    if (engine.board[moveRow(move, n)][moveColumn(move, n)] != kEmpty) break;
  }
  for (int i = 0; i < length; ++i) engine.board[moveRow(played[i], n)][moveColumn(played[i], n)] = kEmpty;
  return length;
}

}  // namespace quenvik
