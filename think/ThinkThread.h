// The think thread, the timer thread and the stop handshake between them.
#pragma once

namespace quenvik {

// Starts a move decision on a detached think thread. The caller has made
// sure a game is running and no decision is; `thinking` is raised here,
// before the thread starts, so no command slips in as if idle.
void startDecision();

// Runs a whole decision on the calling thread (timer thread included) and
// returns when the move has been printed. For tools and fuzzing.
void decideHere();

// Raises the stop for a running decision (YXSTOP).
void requestStop();

// Blocks until every started decision has printed its move.
void waitForDecisions();

}  // namespace quenvik
