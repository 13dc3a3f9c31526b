#include "core/EngineState.h"

#include <chrono>

namespace quenvik {

// Defined out of line and not constexpr on purpose: the object then lives in
// zero-filled storage and only these few words are written at start-up. A
// constant-initialised object would put the 256 MiB table into the executable.
EngineState::EngineState()
    : timeLeft(kStartTimeLeft),
      turnTimeout(kStartTurnTimeout),
      fullBoard(kStartFullBoard),
      threatSearchOn(kStartThreatSearchOn),
      nodeLimit(0),
      exactFive(0),
      renju(0),
      depthLimit(0),
      showDetail(0),
      hashSizeKiB(0),
      memoryCap(0),
      thinking(0),
      stopFlag(0),
      softStop(0),
      timeBudget(0),
      budgetShare(1),
      startTime(0),
      searchAborted(0),
      stopRequested(0),
      activeThinkThreads(0),
      tableIndexMask(kTableIndexMask) {}

EngineState engine;

namespace {
thread_local uint32_t randomState = kThinkThreadSeed;
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
}  // namespace

void seedRandom(uint32_t state) { randomState = state; }

int drawRandom() {
  randomState = nextRandomState(randomState);
  return randomValueOf(randomState);
}

int64_t clockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - processStart).count();
}

}  // namespace quenvik
