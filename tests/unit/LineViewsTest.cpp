#include <gtest/gtest.h>

#include <cstring>

#include "core/EngineState.h"
#include "rules/LineViews.h"

namespace quenvik {
namespace {

void clearBoard(int n) {
  engine.boardSize = n;
  std::memset(engine.board, 0, sizeof engine.board);
}

TEST(LineViews, DiagonalAndAntiDiagonalNumberingOnFifteen) {
  clearBoard(15);
  engine.board[0][14] = kBlack;
  LineViews views;
  buildLineViews(views);
  EXPECT_EQ(lineNumberOf(2, 0, 14, 15), 14);
  EXPECT_EQ(views.slots[kDiagonalsBase + 20 * 14 + 14], kBlack);
  // Anti-diagonal line 0 holds only (0, 14), at position 0.
  EXPECT_EQ(lineNumberOf(3, 0, 14, 15), 0);
  EXPECT_EQ(linePositionOf(3, 0, 14, 15), 0);
  EXPECT_EQ(views.slots[kAntiDiagonalsBase + 0], kBlack);
  for (int q = 1; q < 15; ++q) EXPECT_EQ(views.slots[kAntiDiagonalsBase + q], kOffBoard) << q;
}

TEST(LineViews, PaddedLineHasTwoMarkersAtEachEnd) {
  clearBoard(9);
  LineViews views;
  buildLineViews(views);
  int32_t line[kPaddedLineLength];
  const int p = cutPaddedLine(line, views, 0, 3, 4, 9);
  EXPECT_EQ(p, 4);
  EXPECT_EQ(line[0], kOffBoard);
  EXPECT_EQ(line[1], kOffBoard);
  EXPECT_EQ(line[9 + 2], kOffBoard);
  EXPECT_EQ(line[9 + 3], kOffBoard);
  for (int q = 0; q < 9; ++q) EXPECT_EQ(line[q + 2], kEmpty);
}

TEST(LineViews, WritingACellChangesExactlyFourSlots) {
  clearBoard(12);
  LineViews before;
  buildLineViews(before);
  LineViews after = before;
  setViewsCell(after, 5, 7, kWhite, 12);
  int changed = 0;
  for (int i = 0; i < kLineViewsSize; ++i) changed += before.slots[i] != after.slots[i];
  EXPECT_EQ(changed, 4);
  EXPECT_EQ(viewsCell(after, 5, 7), kWhite);
}

TEST(LineViews, EveryCellOfEveryDirectionMapsBackToItself) {
  for (int n : {5, 15, 20}) {
    clearBoard(n);
    int32_t counter = 2;
    for (int a = 0; a < n; ++a)
      for (int b = 0; b < n; ++b) engine.board[a][b] = counter++;  // distinct values to trace cells
    LineViews views;
    buildLineViews(views);
    for (int a = 0; a < n; ++a) {
      for (int b = 0; b < n; ++b) {
        for (int d = 0; d < kDirections; ++d) {
          int32_t fromViews[kPaddedLineLength];
          int32_t fromBoard[kPaddedLineLength];
          const int p = cutPaddedLine(fromViews, views, d, a, b, n);
          EXPECT_EQ(boardPaddedLine(fromBoard, d, a, b), p);
          EXPECT_EQ(fromViews[p + 2], engine.board[a][b]);
          for (int q = 0; q < n + 4; ++q)
            ASSERT_EQ(fromViews[q], fromBoard[q]) << n << " " << a << " " << b << " " << d;
          for (int q = 0; q < n; ++q) {
            if (fromViews[q + 2] == kOffBoard) continue;
            const Cell cell = cellOnLine(d, a, b, q, n);
            EXPECT_EQ(engine.board[cell.a][cell.b], fromViews[q + 2]);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace quenvik
