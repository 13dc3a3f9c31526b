// The four line directions, padded lines and the four-view board copy that
// every line test reads.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// Where one line through a cell sits: its first slot in a LineViews and the
// cell's position on it.
struct LineSlot {
  int base;      // index of the line's position 0 in LineViews::slots
  int position;  // the cell's position on the line
};

// Line number and position of cell (a, b) in direction d on an N x N board.
constexpr int lineNumberOf(int direction, int a, int b, int n) {
  switch (direction) {
    case 0:
      return a;
    case 1:
      return b;
    case 2:
      return a + b;
    default:
      return n - 1 + a - b;
  }
}
constexpr int linePositionOf(int direction, int a, int b, int n) {
  switch (direction) {
    case 0:
      return b;
    case 1:
      return a;
    case 2:
      return b;
    default:
      return n - 1 - b;
  }
}

// The board cell at position p of the line through (a, b) in direction d.
struct Cell {
  int a;
  int b;
};
constexpr Cell cellOnLine(int direction, int a, int b, int p, int n) {
  switch (direction) {
    case 0:
      return {a, p};
    case 1:
      return {p, b};
    case 2:
      return {a + b - p, p};
    default:
      return {a - b + n - 1 - p, n - 1 - p};
  }
}

constexpr int kGroupBase[kDirections] = {kRowsBase, kColumnsBase, kDiagonalsBase, kAntiDiagonalsBase};

constexpr LineSlot lineSlotOf(int direction, int a, int b, int n) {
  return {kGroupBase[direction] + kGridWidth * lineNumberOf(direction, a, b, n), linePositionOf(direction, a, b, n)};
}

// Fills views from engine.board (N x N; kOffBoard for diagonal slots without
// a cell).
void buildLineViews(LineViews& views);

// Writes value into the four slots of cell (a, b).
inline void setViewsCell(LineViews& views, int a, int b, int32_t value, int n) {
  for (int d = 0; d < kDirections; ++d) {
    const LineSlot slot = lineSlotOf(d, a, b, n);
    views.slots[slot.base + slot.position] = value;
  }
}

inline int32_t viewsCell(const LineViews& views, int a, int b) { return views.slots[kRowsBase + kGridWidth * a + b]; }

// Copies positions 0..N-1 of one 20-slot line into a padded line.
inline void copyPaddedLine(int32_t* destination, const int32_t* line, int n) {
  destination[0] = kOffBoard;
  destination[1] = kOffBoard;
  for (int q = 0; q < n; ++q) destination[q + 2] = line[q];
  destination[n + 2] = kOffBoard;
  destination[n + 3] = kOffBoard;
}

// Copies the padded line of direction d through (a, b) out of views and
// returns the cell's position on it.
inline int cutPaddedLine(int32_t* destination, const LineViews& views, int direction, int a, int b, int n) {
  const LineSlot slot = lineSlotOf(direction, a, b, n);
  copyPaddedLine(destination, views.slots + slot.base, n);
  return slot.position;
}

// Builds the padded line of direction d through (a, b) straight from
// engine.board and returns the cell's position on it.
int boardPaddedLine(int32_t* destination, int direction, int a, int b);

}  // namespace quenvik
