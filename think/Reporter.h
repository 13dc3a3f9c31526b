// What a decision tells whoever asked for it. The think side reports plain
// data through these callbacks; the front end turns them into protocol lines,
// and the bench, the tools and the tests plug in their own. A callback left
// empty is not called.
#pragma once

#include <cstdint>

#include "core/EngineState.h"

namespace quenvik {

// One finished (or stopped) deepening iteration: the depth searched, the best
// move on the engine board (row a, column b, without the window origin), its
// score, and the milliseconds since the search started.
struct IterationReport {
  int depth;
  int a;
  int b;
  int score;
  int64_t elapsedMs;
};

// The end of a search: nodes, milliseconds, the deepest completed depth, the
// deepest ply reached and the final score.
struct SearchSummary {
  int nodes;
  int64_t elapsedMs;
  int depth;
  int selDepth;
  int score;
};

// One analysed root move: line pvIndex of pvCount, the depth searched, the
// score for the side to move, and the expected line from that move on, in
// protocol coordinates.
constexpr int kMaxBestLine = 20;
struct AnalysisReport {
  int pvIndex;
  int pvCount;
  int depth;
  int score;
  int lineLength;
  int lineX[kMaxBestLine];
  int lineY[kMaxBestLine];
};

// A position the Swap2 decision scored: its stones in playing order, in
// protocol coordinates, White's score (White is to move after three and
// after five stones) and the deepest finished iteration.
constexpr int kMaxSwap2Stones = 5;
struct Swap2Report {
  int stoneCount;
  int x[kMaxSwap2Stones];
  int y[kMaxSwap2Stones];
  int whiteScore;
  int depth;
};

// The answer to SWAP2BOARD: `swap` (the engine takes Black), or the stones it
// places, in playing order, in protocol coordinates.
constexpr int kMaxSwap2Answer = 3;
struct Swap2Reply {
  bool swap;
  int stoneCount;
  int x[kMaxSwap2Answer];
  int y[kMaxSwap2Answer];
};

// A position a balance decision (YXBALANCEONE, YXBALANCETWO) scored: the
// stones it would place, in playing order, in protocol coordinates, the
// score for the side to move after them, that side, and the deepest finished
// iteration.
constexpr int kMaxBalanceStones = 2;
struct BalanceReport {
  int stoneCount;
  int x[kMaxBalanceStones];
  int y[kMaxBalanceStones];
  int score;
  int32_t sideToMove;  // kBlack or kWhite
  int depth;
};

// The answer of a balance decision: the stones it places, in playing order,
// in protocol coordinates.
struct BalanceReply {
  int stoneCount;
  int x[kMaxBalanceStones];
  int y[kMaxBalanceStones];
};

// Which moves of the side to move stop the opponent's forced win by fours,
// in protocol coordinates: every move when the opponent has none.
struct DefenceReport {
  bool opponentWins;
  int count;
  int x[kMaxRecordMoves];
  int y[kMaxRecordMoves];
};

struct Reporter {
  void* context = nullptr;
  void (*expectedTime)(void* context, int32_t budgetMs) = nullptr;
  void (*iteration)(void* context, const IterationReport& report) = nullptr;
  void (*summary)(void* context, const SearchSummary& summary) = nullptr;
  // The side to move wins by continuous fours; its first move follows.
  void (*forcedWin)(void* context) = nullptr;
  // The search found no move; the fallback chooser's move follows.
  void (*fallback)(void* context) = nullptr;
  // The answer, in protocol coordinates; the record already holds it.
  void (*move)(void* context, int x, int y) = nullptr;
  // The board is full: there is no move to answer.
  void (*noMove)(void* context) = nullptr;
  // A root move of the running search (only when show_detail asks for it),
  // in protocol coordinates.
  void (*rootEvent)(void* context, RootEventKind kind, int x, int y) = nullptr;
  // The defences of a decision asked for them, before its search.
  void (*defences)(void* context, const DefenceReport& report) = nullptr;
  // The root events of the decision are over; the move follows (only when
  // show_detail asks for root events).
  void (*rootEventsEnd)(void* context) = nullptr;
  // An analysed move: after each finished iteration under show_detail, and
  // one per line of an N-best decision.
  void (*analysis)(void* context, const AnalysisReport& report) = nullptr;
  // A position a Swap2 decision scored on its way to the answer.
  void (*swap2Scored)(void* context, const Swap2Report& report) = nullptr;
  // The answer of a Swap2 decision (instead of a move); the record already
  // holds the stones it places.
  void (*swap2Reply)(void* context, const Swap2Reply& reply) = nullptr;
  // A position a balance decision scored in full on its way to the answer.
  void (*balanceScored)(void* context, const BalanceReport& report) = nullptr;
  // The answer of a balance decision (instead of a move); the record already
  // holds the stones it places.
  void (*balanceReply)(void* context, const BalanceReply& reply) = nullptr;
};

}  // namespace quenvik
