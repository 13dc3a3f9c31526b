#include "tools/quenvik/Decide.h"

#include <atomic>
#include <cstdio>

#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "frontend/ProtocolOutput.h"
#include "think/ThinkThread.h"

namespace quenvik::tool {

namespace {

// Set by a stop request until the decision it was meant for has ended; a
// decision starting clears the engine's own stop request, so this one
// raises it again once the decision runs.
std::atomic<int32_t> stopPending{0};

void raiseStop() {
  engine.stopRequested = 1;
  int32_t running = 0;
  engine.stopFlag.compare_exchange_strong(running, 1);
}

// On top of the start settings that setUpPosition leaves.
void applyLimits(const DecisionLimits& limits) {
  engine.nodeLimit = limits.nodes;
  if (limits.turnTimeMs != 0) engine.turnTimeout = limits.turnTimeMs;
  engine.analysisLines = limits.nbest;
}

// What the tool keeps of a decision's reports, with the protocol's own
// lines passed on when they are to be printed. Every callback of the
// reporter is passed on.
struct Listener {
  Reporter printer;  // empty callbacks unless the lines are printed
  bool forcedWin = false;
  int depth = 0;
  bool hasMove = false;
  int x = -1;
  int y = -1;
};

Listener& listenerOf(void* context) { return *static_cast<Listener*>(context); }

template <typename... Args>
void pass(void (*callback)(void*, Args...), const Reporter& printer, Args... args) {
  if (callback != nullptr) callback(printer.context, args...);
}

Reporter listeningReporter(Listener& listener) {
  Reporter reporter;
  reporter.context = &listener;
  reporter.expectedTime = [](void* c, int32_t budget) {
    if (stopPending.load() != 0) raiseStop();
    pass(listenerOf(c).printer.expectedTime, listenerOf(c).printer, budget);
  };
  reporter.iteration = [](void* c, const IterationReport& r) {
    pass<const IterationReport&>(listenerOf(c).printer.iteration, listenerOf(c).printer, r);
  };
  reporter.summary = [](void* c, const SearchSummary& s) {
    listenerOf(c).depth = s.depth;
    pass<const SearchSummary&>(listenerOf(c).printer.summary, listenerOf(c).printer, s);
  };
  reporter.forcedWin = [](void* c) {
    listenerOf(c).forcedWin = true;
    pass(listenerOf(c).printer.forcedWin, listenerOf(c).printer);
  };
  reporter.fallback = [](void* c) { pass(listenerOf(c).printer.fallback, listenerOf(c).printer); };
  reporter.move = [](void* c, int x, int y) {
    Listener& listener = listenerOf(c);
    listener.hasMove = true;
    listener.x = x;
    listener.y = y;
    pass(listener.printer.move, listener.printer, x, y);
  };
  reporter.noMove = [](void* c) { pass(listenerOf(c).printer.noMove, listenerOf(c).printer); };
  reporter.rootEvent = [](void* c, RootEventKind kind, int x, int y) {
    pass(listenerOf(c).printer.rootEvent, listenerOf(c).printer, kind, x, y);
  };
  reporter.defences = [](void* c, const DefenceReport& r) {
    pass<const DefenceReport&>(listenerOf(c).printer.defences, listenerOf(c).printer, r);
  };
  reporter.rootEventsEnd = [](void* c) { pass(listenerOf(c).printer.rootEventsEnd, listenerOf(c).printer); };
  reporter.analysis = [](void* c, const AnalysisReport& r) {
    pass<const AnalysisReport&>(listenerOf(c).printer.analysis, listenerOf(c).printer, r);
  };
  return reporter;
}

}  // namespace

DecisionResult decideOn(const Position& position, const DecisionLimits& limits, DecisionLines lines) {
  setUpPosition(position);
  applyLimits(limits);
  if (limits.readyTable) warmPositionTableNow();
  Listener listener;
  if (lines == DecisionLines::Print) listener.printer = protocolReporter(stdout);
  const int64_t start = clockMs();
  decideHere(listeningReporter(listener));
  DecisionResult result;
  result.elapsedMs = clockMs() - start;
  result.nodes = engine.nodeCount;
  // On an empty board the engine opens without searching: no score.
  result.score = position.moves.empty() ? 0 : static_cast<int>(engine.bestScore);
  result.forcedWin = listener.forcedWin;
  result.depth = listener.depth;
  if (result.forcedWin) result.score = kWinScore;
  result.hasMove = listener.hasMove;
  result.x = listener.x;
  result.y = listener.y;
  stopPending = 0;
  return result;
}

void stopDecisionFromSignal() {
  stopPending = 1;
  raiseStop();
}

void forgetStopRequest() { stopPending = 0; }

}  // namespace quenvik::tool
