// The think thread, the timer thread and the stop handshake between them.
#pragma once

#include "think/Reporter.h"

namespace quenvik {

// Starts a move decision on a detached think thread that reports to
// `reporter` (copied). The caller has made sure a game is running and no
// decision is; `thinking` is raised here, before the thread starts, so no
// command slips in as if idle.
void startDecision(const Reporter& reporter);

// Runs a whole decision on a search stack (timer thread included) and
// returns when the move has been reported. For tools, benches and fuzzing.
void decideHere(const Reporter& reporter);

// Raises the stop for a running decision (YXSTOP).
void requestStop();

// Blocks until every started decision has printed its move.
void waitForDecisions();

}  // namespace quenvik
