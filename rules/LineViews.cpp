#include "rules/LineViews.h"

namespace quenvik {

void buildLineViews(LineViews& views) {
  const int n = engine.boardSize;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      views.slots[kRowsBase + kGridWidth * a + b] = engine.board[a][b];
      views.slots[kColumnsBase + kGridWidth * b + a] = engine.board[a][b];
    }
  }
  for (int line = 0; line <= 2 * n - 2; ++line) {
    for (int q = 0; q < n; ++q) {
      const int a = line - q;
      const bool onBoard = a >= 0 && a < n;
      views.slots[kDiagonalsBase + kGridWidth * line + q] = onBoard ? engine.board[a][q] : kOffBoard;
      views.slots[kAntiDiagonalsBase + kGridWidth * line + q] = onBoard ? engine.board[a][n - 1 - q] : kOffBoard;
    }
  }
}

int boardPaddedLine(int32_t* destination, int direction, int a, int b) {
  const int n = engine.boardSize;
  destination[0] = kOffBoard;
  destination[1] = kOffBoard;
  for (int q = 0; q < n; ++q) {
    const Cell cell = cellOnLine(direction, a, b, q, n);
    const bool onBoard = cell.a >= 0 && cell.a < n && cell.b >= 0 && cell.b < n;
    destination[q + 2] = onBoard ? engine.board[cell.a][cell.b] : kOffBoard;
  }
  destination[n + 2] = kOffBoard;
  destination[n + 3] = kOffBoard;
  return linePositionOf(direction, a, b, n);
}

}  // namespace quenvik
