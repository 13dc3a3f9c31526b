#include "AI/AIx.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "AI/NaturalLog.h"
#include "AI/PositionTable.h"
#include "AI/SearchTables.h"
#include "Value/ValueW.h"
#include "rules/LineThreats.h"
#include "rules/LineViews.h"
#include "rules/PatternUndo.h"
#include "rules/Patterns.h"

namespace quenvik {

namespace {

constexpr int kCells = kGridWidth * kGridWidth;

constexpr double kReductionWeight = 0.9;
constexpr int kLateMovePeriod = 15;        // every 15 moves into a node's list cost one more ply
constexpr int kDecidedDepthBonus = 10;     // decided scores are good for any depth
constexpr int kOutsideRootPenalty = 5000;  // root cells the screening did not keep
constexpr int kThreatPenalty = 5000;       // against an open three, only fours and blocks stay
constexpr int kThreatAnswerBonus = 8000;   // ... and fours of the side to move are kept
constexpr int kThreeDefenceBonus = 10000;
constexpr int kFivePointScore = 500000;  // only a five point of the side to move scores this much
constexpr int kHashMoveKey = 100;        // above every other key, which are all negative
constexpr int kListKeyOffset = 300000000;
constexpr int kLeafPly = kMaxSearchPlies - 1;  // a node at the last ply never moves

// Cells near a stone that the search considers: everything within two cells,
// and the cells three away on the stone's four lines.
struct Offset {
  int da;
  int db;
};
constexpr Offset kNeighbourhood[32] = {{-2, -2}, {-2, -1}, {-2, 0}, {-2, 1}, {-2, 2},  {-1, -2}, {-1, -1}, {-1, 0},
                                       {-1, 1},  {-1, 2},  {0, -2}, {0, -1}, {0, 1},   {0, 2},   {1, -2},  {1, -1},
                                       {1, 0},   {1, 1},   {1, 2},  {2, -2}, {2, -1},  {2, 0},   {2, 1},   {2, 2},
                                       {-3, 0},  {3, 0},   {0, -3}, {0, 3},  {-3, -3}, {-3, 3},  {3, -3},  {3, 3}};

constexpr Offset kEightDirections[8] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

struct Candidate {
  int move;
  int key;
};

// Working data of one interior node, on the stack (about 10 KB).
struct NodeData {
  int mark[kCells];
  int score[kCells];
  int level[kCells];
  int freedom[kCells];  // freedomCount cache, 0 = not computed yet
  Candidate list[kCells];
  int count;
};

bool onBoard(int a, int b, int n) { return a >= 0 && a < n && b >= 0 && b < n; }

bool stopRaised() { return engine.stopFlag.load(std::memory_order_relaxed) != 0; }

// Room around a cell for the side to move: 1 plus, along each of the eight
// directions, the cells up to four away that are on the board and free of the
// opponent's stones, up to the first that is not.
int freedomCount(int a, int b, int32_t opponent) {
  const int n = engine.boardSize;
  int count = 1;
  for (const Offset& d : kEightDirections) {
    for (int k = 1; k <= 4; ++k) {
      const int na = a + k * d.da;
      const int nb = b + k * d.db;
      if (!onBoard(na, nb, n) || engine.board[na][nb] == opponent) break;
      ++count;
    }
  }
  return count;
}

int cachedFreedom(NodeData& node, int move, int32_t opponent) {
  int& cached = node.freedom[move];
  if (cached == 0) {
    const int n = engine.boardSize;
    cached = freedomCount(moveRow(move, n), moveColumn(move, n), opponent);
  }
  return cached;
}

// List position of the highest key from `from` on; the first one on equal keys.
int firstHighestKey(const NodeData& node, int from) {
  int chosen = from;
  for (int j = from + 1; j < node.count; ++j) {
    if (node.list[j].key > node.list[chosen].key) chosen = j;
  }
  return chosen;
}

// Brings the candidate to search at position i to the front of the rest of
// the list: highest key, then the larger freedomCount, then the earlier one.
void selectCandidate(NodeData& node, int i, int32_t opponent) {
  int chosen = i;
  for (int j = i + 1; j < node.count; ++j) {
    const int key = node.list[j].key;
    const int chosenKey = node.list[chosen].key;
    if (key > chosenKey || (key == chosenKey && cachedFreedom(node, node.list[j].move, opponent) >
                                                    cachedFreedom(node, node.list[chosen].move, opponent))) {
      chosen = j;
    }
  }
  std::swap(node.list[i], node.list[chosen]);
}

// Marks every cell of the neighbourhood of every stone.
void markNeighbourhood(NodeData& node) {
  const int n = engine.boardSize;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (engine.board[a][b] == kEmpty) continue;
      for (const Offset& o : kNeighbourhood) {
        const int na = a + o.da;
        const int nb = b + o.db;
        if (onBoard(na, nb, n)) node.mark[moveNumberOf(na, nb, n)] = 1;
      }
    }
  }
}

// The opponent has an open three whose straight-four point is threatCell:
// raise the cells that stop the three on the first line through that point
// that shows one.
void addThreeDefenceBonus(NodeData& node, int threatCell, int32_t opponent) {
  const int n = engine.boardSize;
  const int a0 = moveRow(threatCell, n);
  const int b0 = moveColumn(threatCell, n);
  for (int d = 0; d < kDirections; ++d) {
    const int p = linePositionOf(d, a0, b0, n);
    // The opponent's stone next to the point, the following one first.
    int q = -1;
    for (const int next : {p + 1, p - 1}) {
      const Cell cell = cellOnLine(d, a0, b0, next, n);
      if (q < 0 && onBoard(cell.a, cell.b, n) && engine.board[cell.a][cell.b] == opponent) q = next;
    }
    if (q < 0) continue;
    const Cell stone = cellOnLine(d, a0, b0, q, n);
    const LineCells cells = threeDefenceOn(boardLineKey(stone.a, stone.b, d), opponent);
    if (cells.count() == 0) continue;
    for (int k = 0; k < cells.count(); ++k) {
      const Cell cell = cellOnLine(d, a0, b0, cellPosition(cells, k, q), n);
      node.score[moveNumberOf(cell.a, cell.b, n)] += kThreeDefenceBonus;
    }
    return;
  }
}

// An N-best search leaves the better root moves out: the table's entry for
// the root position speaks for the whole move list, so such a root neither
// reads nor writes it.
bool rootWithExclusions(bool isRoot) { return isRoot && engine.rootExcludedCount > 0; }

bool excludedAtRoot(bool isRoot, int a, int b) { return rootWithExclusions(isRoot) && engine.rootExcluded[a][b] != 0; }

void reportRootEvent(bool isRoot, RootEventKind kind, int move) {
  if (isRoot && engine.rootEventHook != nullptr) engine.rootEventHook(engine.rootEventContext, kind, move);
}

int storePriority(double depth) { return static_cast<int>(10 * engine.recordCount + depth); }

SearchResult result(int score, int move) { return {static_cast<int16_t>(score), static_cast<int16_t>(move)}; }

// What one node knows once its candidates are scored.
struct NodeScan {
  int decisiveCount = 0;  // cells that win at once or stop the opponent's five
  int threatCell = -1;    // the opponent's straight-four point, when it has one
  bool win = false;       // the side to move completes five, or makes an unanswerable straight four
};

// Step 1 and 2. Node budget: raise the stop once, and never lower a stop the
// timer has set. Then the stop itself.
bool stoppedAtEntry() {
  const int32_t nodeLimit = engine.nodeLimit.load(std::memory_order_relaxed);
  // A negative limit, like 0, means none.
  if (nodeLimit > 0 && engine.nodeCount >= nodeLimit && engine.nodeLimitHit == 0) {
    int32_t running = 0;
    engine.stopFlag.compare_exchange_strong(running, 1);
    engine.nodeLimitHit = 1;
  }
  if (stopRaised()) {
    engine.searchAborted = 1;
    return true;
  }
  return engine.searchAborted != 0;
}

// Step 4. Table probe: true with `answer` when the entry decides the node;
// otherwise its move (if any) becomes the hash move and an upper bound may
// narrow beta below the root.
bool probeTable(int depthFloor, int alpha, int& beta, bool isRoot, int& hashMove, SearchResult& answer) {
  const TableEntry* found = tableLookup(engine.positionKey);
  if (found == nullptr) return false;
  const TableEntry entry = *found;
  if (entry.depth < depthFloor) {
    hashMove = entry.move;
    return false;
  }
  switch (entry.bound) {
    case Exact:
      answer = result(entry.score, entry.move);
      return true;
    case UpperBound:
      if (entry.score <= alpha) {
        answer = result(entry.score, -1);
        return true;
      }
      hashMove = entry.move;
      if (!isRoot) beta = std::min(beta, entry.score + 1);
      return false;
    case LowerBound:
      if (entry.score >= beta) {
        answer = result(entry.score, -1);
        return true;
      }
      hashMove = entry.move;
      return false;
    default:
      return false;
  }
}

// Step 5. A leaf: the evaluation for the side to move, decided values turned
// into a win or loss at this ply. The pattern state comes back as it was.
SearchResult searchLeaf(int32_t opponent, PatternMark patternMark) {
  updatePatterns();
  int v = static_cast<int>(-evaluatePosition(opponent));
  if (v >= kDecidedScore) v = kWinScore - engine.plyIndex;
  if (v <= -kDecidedScore) v = engine.plyIndex - kWinScore;
  undoPatternsTo(patternMark);
  if (!stopRaised()) tableStore(engine.positionKey, v, Exact, 0, 10 * engine.recordCount, -1);
  return result(v, -1);
}

// Steps 7 to 10. Marks the cells near the stones and scores each for the side
// to move, attack plus defence, noting decisive cells and the opponent's
// straight-four point; against an open three the cells that stop it gain.
NodeScan scoreCandidates(NodeData& node, int32_t side, int32_t opponent) {
  const int n = engine.boardSize;
  const int cells = n * n;
  std::memset(node.mark, 0, sizeof(int) * cells);
  std::memset(node.score, 0, sizeof(int) * cells);
  std::memset(node.level, 0, sizeof(int) * cells);
  std::memset(node.freedom, 0, sizeof(int) * cells);
  node.count = 0;
  markNeighbourhood(node);

  const int si = colourIndex(side);
  const int oi = colourIndex(opponent);
  const auto& rank = engine.patterns.cellRank;
  const auto& cellLevel = engine.patterns.cellLevel;
  NodeScan scan;
  int maxOwn = 0;
  int maxOpp = 0;
  for (int m = 0; m < cells; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (node.mark[m] == 0 || engine.board[a][b] != kEmpty) continue;
    node.score[m] = candidateAttack[rank[si][a][b]] + candidateDefence[rank[oi][a][b]];
    const int ownLevel = cellLevel[si][a][b];
    const int oppLevel = cellLevel[oi][a][b];
    if (node.score[m] > 0) {
      if (oppLevel == 6 || ownLevel >= 5) {
        ++scan.decisiveCount;
      } else if (oppLevel == 5) {
        scan.threatCell = m;
      }
      node.level[m] = ownLevel;
      maxOwn = std::max(maxOwn, ownLevel);
    }
    maxOpp = std::max(maxOpp, oppLevel);
  }
  scan.win = maxOwn == 6 || (maxOwn == 5 && maxOpp <= 5);
  if (scan.decisiveCount == 0 && scan.threatCell >= 0) addThreeDefenceBonus(node, scan.threatCell, opponent);
  return scan;
}

// Step 11. The candidate list, hash move first. A five point of the side to
// move ends the node at once: true with `answer`.
bool listCandidates(NodeData& node, const NodeScan& scan, bool isRoot, int hashMove, double depth,
                    SearchResult& answer) {
  const int n = engine.boardSize;
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (node.mark[m] == 0 || engine.board[a][b] != kEmpty || excludedAtRoot(isRoot, a, b)) continue;
    int s = node.score[m];
    if (isRoot && engine.rootCandidates[a][b] == 0) s -= kOutsideRootPenalty;
    if (scan.threatCell >= 0) {
      s -= kThreatPenalty;
      if (node.level[m] >= 4) s += kThreatAnswerBonus;
    }
    if (s <= 0) continue;
    if (m == hashMove) {
      node.list[node.count++] = {m, kHashMoveKey};
    } else if (s >= kFivePointScore) {
      const int v = kWinScore - engine.plyIndex;
      if (!stopRaised() && !rootWithExclusions(isRoot)) {
        tableStore(engine.positionKey, v, Exact, static_cast<int>(depth), storePriority(depth), m);
      }
      answer = result(v, m);
      return true;
    } else {
      node.list[node.count++] = {m, s - kListKeyOffset};
    }
  }
  return false;
}

// Step 14. The root with at most one cell the screening kept answers without
// a search: -20000 and no move with none, the cell itself with one. Either
// way the deepening has nothing more to do.
bool rootAnswersAtOnce(SearchResult& answer) {
  if (engine.rootCandidateCount > 1) return false;
  // Under exclusions the one move left is still searched, for its score.
  if (engine.rootCandidateCount == 1 && rootWithExclusions(true)) return false;
  engine.rootAnsweredAtOnce = 1;
  if (engine.rootCandidateCount <= 0) {
    answer = result(-kWinScore, -1);
    return true;
  }
  const int n = engine.boardSize;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (engine.rootCandidates[a][b] != 0) {
        answer = result(engine.bestScore, moveNumberOf(a, b, n));
        return true;
      }
    }
  }
  answer = result(engine.bestScore, -1);
  return true;
}

// The bounds one node's move loop works in.
struct NodeWindow {
  int width;
  double depth;
  int alpha;
  int beta;
  bool isRoot;
  int lateMoveCount;
};

// Where the move loop ended.
struct LoopOutcome {
  int best = kNoCandidateScore;
  int bestMove = -1;
  int bound = UpperBound;
  bool aborted = false;  // a stop unwound the loop; `aborted` result is what to return
  SearchResult abortedResult{0, -1};
};

// One move's child search, as the move loop makes it.
struct ChildSearch {
  int width;
  double depth;      // the node's depth; the child's is this less the reduction
  double reduction;  // the node's base reduction
  int penalty;       // the forcing-move offset of this move
  int lateIndex;     // lateMoveCount + the move's index in the node
};

// The move's score from the node's side, M = -penalty - child score: a
// null-window search with a full-window re-search once a best move is
// known; moves 15 and more into the line are searched a ply shallower per
// 15 and again at full depth when they beat the best so far.
int searchChild(const ChildSearch& child, int alpha, int beta, int best, bool pvFound) {
  const int penalty = child.penalty;
  int late = child.lateIndex;
  int extra = 0;
  if (late >= kLateMovePeriod) {
    extra = late / kLateMovePeriod;
    late = late % kLateMovePeriod;
  }
  double reduction = child.reduction + extra;
  int m = 0;
  for (;;) {
    const double childDepth = child.depth - reduction;
    if (pvFound) {
      m = -penalty - principalSearch(child.width, childDepth, -alpha - 1 - penalty, -alpha - penalty, 0, late).score;
      if (engine.searchAborted != 0) return m;
      if (alpha < m && m < beta) {
        m = -penalty - principalSearch(child.width, childDepth, -beta - penalty, -alpha - penalty, 0, late).score;
      }
    } else {
      m = -penalty - principalSearch(child.width, childDepth, -beta - penalty, -alpha - penalty, 0, late).score;
    }
    if (engine.searchAborted != 0 || m >= kDecidedScore || m <= alpha) return m;
    if (m > best && extra > 0) {
      reduction = child.reduction;
      extra = 0;
      continue;
    }
    return m;
  }
}

// Step 15. Searches the candidates best key first, with the null-window
// re-search once a best move is found and a full-depth re-search of late
// moves that beat the best.
LoopOutcome searchMoves(NodeData& node, NodeWindow window, int32_t side) {
  const int n = engine.boardSize;
  const int32_t opponent = -side;
  const int si = colourIndex(side);
  LoopOutcome out;
  bool pvFound = false;
  int alpha = window.alpha;
  const int beta = window.beta;
  const int moves = std::min(node.count, window.width);
  const double r0 = moves >= 1 ? baseReduction(moves, engine.referenceWidth) : 0.0;
  const int childWidth = std::min(window.width * engine.widthNumerator / engine.widthDenominator + 1, window.width);

  for (int i = 0; i < moves; ++i) {
    selectCandidate(node, i, opponent);
    const int c = node.list[i].move;
    const int a = moveRow(c, n);
    const int b = moveColumn(c, n);
    const uint64_t stoneKey = engine.stoneKeys[si][c];

    reportRootEvent(window.isRoot, RootMoveStarted, c);
    engine.plyIndex += 1;
    engine.positionKey ^= stoneKey;
    engine.selDepth = std::max(engine.selDepth, engine.plyIndex);
    engine.stoneCount += 1;
    engine.board[a][b] = side;

    const ChildSearch child{childWidth, window.depth, r0, forcingPenaltyOf(node.level[c]), window.lateMoveCount + i};
    const int m = searchChild(child, alpha, beta, out.best, pvFound);

    engine.board[a][b] = kEmpty;
    engine.stoneCount -= 1;
    engine.positionKey ^= stoneKey;
    engine.plyIndex -= 1;

    if (engine.searchAborted != 0) {
      out.aborted = true;
      if (!window.isRoot) {
        out.abortedResult = result(-kWinScore, -1);
      } else if (i == 0) {
        out.abortedResult = result(engine.bestScore, engine.bestMove);
      } else if (out.best <= -kDecidedScore) {
        out.abortedResult = result(-kWinScore, c);
      } else {
        out.abortedResult = result(out.best, out.bestMove);
      }
      return out;
    }

    reportRootEvent(window.isRoot, RootMoveDone, c);
    if (m <= -kDecidedScore) reportRootEvent(window.isRoot, RootMoveLoses, c);
    if (m > alpha) reportRootEvent(window.isRoot, RootMoveBest, c);
    out.best = std::max(out.best, m);
    if (m > alpha) {
      alpha = m;
      out.bestMove = c;
      out.bound = Exact;
      pvFound = true;
    }
    if (m >= kDecidedScore) break;
    if (alpha >= beta) {
      out.bound = LowerBound;
      break;
    }
  }
  return out;
}

// Steps 16 and 17. Decided scores hold for any depth; nothing is stored while
// a stop is up, so a stopped search never fills the table.
void storeNodeResult(const LoopOutcome& outcome, double depth, int alpha0, int beta0, bool isRoot) {
  int bound = outcome.bound;
  int depthBonus = 0;
  const int best = outcome.best;
  if ((best >= kDecidedScore && best > alpha0) || (best <= -kDecidedScore && best < beta0)) {
    bound = Exact;
    depthBonus = kDecidedDepthBonus;
  }
  if (!stopRaised() && !rootWithExclusions(isRoot)) {
    tableStore(engine.positionKey, best, bound, static_cast<int>(depth + depthBonus), storePriority(depth),
               outcome.bestMove);
  }
}

}  // namespace

double baseReduction(int moves, int referenceWidth) {
  return std::max(0.0, (1.0 - kReductionWeight) + kReductionWeight * naturalLog(moves) / naturalLog(referenceWidth));
}

SearchResult principalSearch(int width, double depth, int alpha, int beta, int isRoot, int lateMoveCount) {
  assert(engine.plyIndex >= 0 && engine.plyIndex < kMaxSearchPlies);
  if (stoppedAtEntry()) return result(0, -1);

  engine.nodeCount += 1;
  const int32_t side = sideToMove();
  const int32_t opponent = -side;
  const int alpha0 = alpha;
  const int beta0 = beta;

  int hashMove = -1;
  SearchResult answer{0, -1};
  if (!rootWithExclusions(isRoot != 0) &&
      probeTable(static_cast<int>(depth), alpha, beta, isRoot != 0, hashMove, answer)) {
    return answer;
  }

  // Step 6. Mark the pattern history: the node's normal exits take every
  // update after the mark back. The root starts the history afresh.
  const PatternMark patternMark = engine.plyIndex == 0 ? startPatternHistory() : markPatterns();

  // A node at the last ply never moves, so it is a leaf.
  if (depth <= 0 || engine.plyIndex >= kLeafPly) return searchLeaf(opponent, patternMark);

  updatePatterns();

  NodeData node;
  const NodeScan scan = scoreCandidates(node, side, opponent);
  // A five point ends the node before any move is made; its updates stay in
  // the history, and the parent's undo takes them back with its own.
  if (listCandidates(node, scan, isRoot != 0, hashMove, depth, answer)) return answer;

  // Step 12. Nothing is stored for a win seen without a search.
  if (scan.win) {
    undoPatternsTo(patternMark);
    return result(kWinScore, node.count > 0 ? node.list[firstHighestKey(node, 0)].move : -1);
  }

  // Step 13. Against a decisive cell only the best-keyed candidate is tried.
  if (scan.decisiveCount > 0 && node.count > 0) {
    node.list[0] = node.list[firstHighestKey(node, 0)];
    node.count = 1;
  }

  // The root's shortcut leaves its update in place: nothing searches after it
  // in this decision.
  if (isRoot != 0 && rootAnswersAtOnce(answer)) return answer;

  const LoopOutcome outcome = searchMoves(node, {width, depth, alpha, beta, isRoot != 0, lateMoveCount}, side);
  // A stopped search returns without storing and without undoing: the parent
  // undoes to its own mark, and the decision rebuilds the pattern state before
  // it searches again.
  if (outcome.aborted) return outcome.abortedResult;

  storeNodeResult(outcome, depth, alpha0, beta0, isRoot != 0);
  undoPatternsTo(patternMark);
  return result(outcome.best, outcome.bestMove);
}

void prepareStandaloneRootSearch(int32_t nodeLimit) {
  const int n = engine.boardSize;
  engine.nodeLimit = nodeLimit;
  resetThinkControl();
  resetSearch();
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (engine.board[a][b] != kEmpty) continue;
      engine.rootCandidates[a][b] = 1;
      engine.rootCandidateCount += 1;
    }
  }
  updatePatterns();
}

}  // namespace quenvik
