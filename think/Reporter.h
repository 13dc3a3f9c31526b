// What a decision tells whoever asked for it. The think side reports plain
// data through these callbacks; the front end turns them into protocol lines,
// and the bench, the tools and the tests plug in their own. A callback left
// empty is not called.
#pragma once

#include <cstdint>

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
};

}  // namespace quenvik
