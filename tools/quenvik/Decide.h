// The one place where the tool runs the engine's decision and reads its
// result: think, bench, analyse and play all go through decideOn.
#pragma once

#include <cstdint>

#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

struct DecisionLimits {
  int32_t nodes = 0;       // 0: none
  int32_t turnTimeMs = 0;  // 0: the engine's start value
  int32_t nbest = 0;       // N best root moves analysed (YXNBEST); 0: an ordinary decision
  // The position table made ready (in memory, cleared) before the decision,
  // as an engine's warmer does while it waits for a command.
  bool readyTable = false;
};

// Whether the decision's protocol lines are printed on standard output.
enum class DecisionLines { Print, Discard };

struct DecisionResult {
  bool hasMove = false;
  int x = -1;
  int y = -1;
  int score = 0;           // engine.bestScore, for the side to move
  bool forcedWin = false;  // "Here it is!": a win by fours, score set to kWinScore
  int32_t nodes = 0;
  int depth = 0;          // the deepest finished iteration; 0 without a search
  int64_t elapsedMs = 0;  // the decision alone, set-up excluded
};

// Sets the engine up on the position and makes its whole decision, as the
// protocol would after the position's last move.
DecisionResult decideOn(const Position& position, const DecisionLimits& limits, DecisionLines lines);

// Asks a running decision to stop, as YXSTOP would; safe in a signal
// handler (lock-free atomic stores). A decision about to start when the
// signal comes stops as soon as it has started.
void stopDecisionFromSignal();

// Forgets a stop that came after the last decision ended.
void forgetStopRequest();

}  // namespace quenvik::tool
