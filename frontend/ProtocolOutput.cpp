#include "frontend/ProtocolOutput.h"

#include <cstdarg>
#include <cstdint>
#include <mutex>

#include "think/Analysis.h"

namespace quenvik {

namespace {

std::FILE* streamOf(void* context) { return static_cast<std::FILE*>(context); }

// The think thread reports while the front end may close the output (END
// while thinking): a report is written whole under the lock, or not at all.
std::mutex decisionOutputLock;
bool decisionOutputClosed = false;

struct DecisionOutput {
  std::lock_guard<std::mutex> hold{decisionOutputLock};
  bool open() const { return !decisionOutputClosed; }
};

void printExpectedTime(void* context, int32_t budgetMs) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE Expected time=%dms\n", budgetMs);
  std::fflush(streamOf(context));
}

void printIteration(void* context, const IterationReport& report) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE %2d;(%02d,%02d) %7d ---------- %8lld\n", report.depth, report.a, report.b,
         report.score, static_cast<long long>(report.elapsedMs));
  std::fflush(streamOf(context));
}

void printSummary(void* context, const SearchSummary& summary) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  const int64_t t = summary.elapsedMs;
  emitTo(out, "MESSAGE Nodes=%d, Time=%lldms, ", summary.nodes, static_cast<long long>(t));
  if (t > 0) {
    emitTo(out, "speed=%lld, ", static_cast<long long>(int64_t{summary.nodes} * 1000 / t));
  } else {
    emitTo(out, "speed=0, ");
  }
  emitTo(out, "depth=%d-%d, Evaluation=%d\n", summary.depth, summary.selDepth, summary.score);
  std::fflush(out);
}

void printForcedWin(void* context) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE Here it is!\n");
  std::fflush(streamOf(context));
}

void printFallback(void* context) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE Er...\n");
  std::fflush(streamOf(context));
}

void printMove(void* context, int x, int y) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "%d,%d\n", x, y);
  std::fflush(streamOf(context));
}

void printNoMove(void* context) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "ERROR No empty cell.\n");
  std::fflush(streamOf(context));
}

constexpr const char* kRootEventWords[] = {"POS", "DONE", "BEST", "LOSE"};

void printRootEvent(void* context, RootEventKind kind, int x, int y) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE REALTIME %s %d,%d\n", kRootEventWords[kind], x, y);
  std::fflush(streamOf(context));
}

// Clears the GUI's marks of the root moves it was shown.
void printRootEventsEnd(void* context) {
  const DecisionOutput output;
  if (!output.open()) return;
  emitTo(streamOf(context), "MESSAGE REALTIME REFRESH\n");
  std::fflush(streamOf(context));
}

void printDefences(void* context, const DefenceReport& report) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  if (!report.opponentWins) {
    emitTo(out, "MESSAGE The opponent has no forced win by fours: every move defends.\n");
  } else if (report.count == 0) {
    emitTo(out, "MESSAGE No move stops the opponent's forced win by fours.\n");
  } else {
    emitTo(out, "MESSAGE Moves that stop the opponent's forced win by fours:");
    for (int i = 0; i < report.count; ++i) emitTo(out, " %d,%d", report.x[i], report.y[i]);
    emitTo(out, "\n");
  }
  std::fflush(out);
}

// A number, or +Mk / -Mk for a game decided in k moves.
void printEval(std::FILE* out, int score) {
  if (!scoreIsDecided(score)) {
    emitTo(out, "INFO EVAL %d\n", score);
    return;
  }
  emitTo(out, "INFO EVAL %cM%d\n", score > 0 ? '+' : '-', movesToFive(score));
}

void printAnalysis(void* context, const AnalysisReport& report) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  emitTo(out, "INFO PV %d\nINFO NUMPV %d\nINFO DEPTH %d\n", report.pvIndex, report.pvCount, report.depth);
  printEval(out, report.score);
  emitTo(out, "INFO WINRATE %.4f\nINFO BESTLINE", winRate(report.score));
  for (int i = 0; i < report.lineLength; ++i) emitTo(out, " %d,%d", report.lineX[i], report.lineY[i]);
  emitTo(out, "\nINFO PV DONE\n");
  std::fflush(out);
}

void printStones(std::FILE* out, const int* x, const int* y, int count) {
  for (int i = 0; i < count; ++i) emitTo(out, "%s%d,%d", i == 0 ? "" : " ", x[i], y[i]);
}

void printSwap2Scored(void* context, const Swap2Report& report) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  emitTo(out, "MESSAGE Swap2 ");
  printStones(out, report.x, report.y, report.stoneCount);
  emitTo(out, " scores %d for White at depth %d\n", report.whiteScore, report.depth);
  std::fflush(out);
}

// SWAP, or the stones placed on one line: "7,7 8,7 9,9".
void printSwap2Reply(void* context, const Swap2Reply& reply) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  if (reply.swap) {
    emitTo(out, "SWAP");
  } else {
    printStones(out, reply.x, reply.y, reply.stoneCount);
  }
  emitTo(out, "\n");
  std::fflush(out);
}

constexpr const char* colourName(int32_t colour) { return colour == kBlack ? "Black" : "White"; }

void printBalanceScored(void* context, const BalanceReport& report) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  emitTo(out, "MESSAGE Balance ");
  printStones(out, report.x, report.y, report.stoneCount);
  emitTo(out, " scores %d for %s at depth %d\n", report.score, colourName(report.sideToMove), report.depth);
  std::fflush(out);
}

// The stones on one line: "7,8" or "7,8 9,9".
void printBalanceReply(void* context, const BalanceReply& reply) {
  const DecisionOutput output;
  if (!output.open()) return;
  std::FILE* out = streamOf(context);
  printStones(out, reply.x, reply.y, reply.stoneCount);
  emitTo(out, "\n");
  std::fflush(out);
}

}  // namespace

void emitTo(std::FILE* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stream, format, arguments);
  va_end(arguments);
}

void closeDecisionOutput() {
  std::lock_guard<std::mutex> hold(decisionOutputLock);
  decisionOutputClosed = true;
}

void openDecisionOutput() {
  std::lock_guard<std::mutex> hold(decisionOutputLock);
  decisionOutputClosed = false;
}

Reporter protocolReporter(std::FILE* stream) {
  Reporter reporter;
  reporter.context = stream;
  reporter.expectedTime = printExpectedTime;
  reporter.iteration = printIteration;
  reporter.summary = printSummary;
  reporter.forcedWin = printForcedWin;
  reporter.fallback = printFallback;
  reporter.move = printMove;
  reporter.noMove = printNoMove;
  reporter.rootEvent = printRootEvent;
  reporter.rootEventsEnd = printRootEventsEnd;
  reporter.defences = printDefences;
  reporter.analysis = printAnalysis;
  reporter.swap2Scored = printSwap2Scored;
  reporter.swap2Reply = printSwap2Reply;
  reporter.balanceScored = printBalanceScored;
  reporter.balanceReply = printBalanceReply;
  return reporter;
}

}  // namespace quenvik
