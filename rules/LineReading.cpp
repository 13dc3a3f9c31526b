#include "rules/LineReading.h"

#include "rules/LineViews.h"

namespace quenvik {

LineKey viewsLineKey(const LineViews& views, int direction, int a, int b) {
  const int n = engine.boardSize;
  const LineSlot slot = lineSlotOf(direction, a, b, n);
  return lineKeyOn(views.slots + slot.base, slot.position, n);
}

bool makesFiveOn(const int32_t (*board)[kGridWidth], int n, Rule rule, int32_t colour, int a, int b) {
  const LineReading reading = lineReadingFor(rule, colour);
  for (int d = 0; d < kDirections; ++d) {
    if (segmentClass(segmentOf(reading, boardLineKey(board, n, a, b, d))) == Five) return true;
  }
  return false;
}

}  // namespace quenvik
