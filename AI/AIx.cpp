#include "AI/AIx.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AI/PositionTable.h"
#include "AI/SearchTables.h"
#include "Value/ValueW.h"
#include "rules/LineThreats.h"
#include "rules/LineViews.h"
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
constexpr int kLeafPly = kPlySnapshots - 1;  // the last snapshot slot: a node there never moves

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
  int32_t line[kPaddedLineLength];
  for (int d = 0; d < kDirections; ++d) {
    const int p = boardPaddedLine(line, d, a0, b0);
    int r = 0;
    if (line[p + 1 + 2] == opponent) {
      r = findThreeDefence(line, p + 1);
    } else if (line[p - 1 + 2] == opponent) {
      r = findThreeDefence(line, p - 1);
    }
    if (r <= 0) continue;
    const int cells = r > 0xFFFFFF ? 3 : 2;
    for (int k = 0; k < cells; ++k) {
      const Cell cell = cellOnLine(d, a0, b0, (r >> (8 * k)) & 255, n);
      node.score[moveNumberOf(cell.a, cell.b, n)] += kThreeDefenceBonus;
    }
    return;
  }
}

// An N-best search leaves the better root moves out: the table's entry for
// the root position speaks for the whole move list, so such a root neither
// reads nor writes it.
bool rootWithExclusions(int isRoot) { return isRoot != 0 && engine.rootExcludedCount > 0; }

bool excludedAtRoot(int isRoot, int a, int b) { return rootWithExclusions(isRoot) && engine.rootExcluded[a][b] != 0; }

void reportRootEvent(int isRoot, RootEventKind kind, int move) {
  if (isRoot != 0 && engine.rootEventHook != nullptr) engine.rootEventHook(engine.rootEventContext, kind, move);
}

int storePriority(double depth) { return static_cast<int>(10 * engine.recordCount + depth); }

SearchResult result(int score, int move) { return {static_cast<int16_t>(score), static_cast<int16_t>(move)}; }

}  // namespace

double baseReduction(int moves, int referenceWidth) {
  return std::max(0.0, (1.0 - kReductionWeight) + kReductionWeight * std::log(static_cast<double>(moves)) /
                                                      std::log(static_cast<double>(referenceWidth)));
}

SearchResult principalSearch(int width, double depth, int alpha, int beta, int parity, int isRoot, int lateMoveCount) {
  // Node budget: raise the stop once, and never lower a stop the timer has set.
  const int32_t nodeLimit = engine.nodeLimit.load(std::memory_order_relaxed);
  if (nodeLimit > 0 && engine.nodeCount >= nodeLimit && engine.nodeLimitHit == 0) {
    int32_t running = 0;
    engine.stopFlag.compare_exchange_strong(running, 1);
    engine.nodeLimitHit = 1;
  }
  if (stopRaised()) {
    engine.searchAborted = 1;
    return result(0, -1);
  }
  if (engine.searchAborted != 0) return result(0, -1);

  engine.nodeCount += 1;
  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const int32_t opponent = -side;
  const int si = colourIndex(side);
  const int oi = colourIndex(opponent);
  const int alpha0 = alpha;
  const int beta0 = beta;
  const int depthFloor = static_cast<int>(depth);

  int hashMove = -1;
  if (const TableEntry* found = rootWithExclusions(isRoot) ? nullptr : tableLookup(engine.positionKey)) {
    const TableEntry entry = *found;
    if (entry.depth >= depthFloor) {
      if (entry.bound == Exact) return result(entry.score, entry.move);
      if (entry.bound == UpperBound) {
        if (entry.score <= alpha) return result(entry.score, -1);
        hashMove = entry.move;
        if (isRoot == 0) beta = std::min(beta, entry.score + 1);
      } else if (entry.bound == LowerBound) {
        if (entry.score >= beta) return result(entry.score, -1);
        hashMove = entry.move;
      }
    } else {
      hashMove = entry.move;
    }
  }

  PatternState& snapshot = engine.plySnapshots[engine.plyIndex];

  if (depth <= 0 || engine.plyIndex >= kLeafPly) {
    snapshot = engine.patterns;
    updatePatterns();
    int v = static_cast<int>(-evaluatePosition(opponent, parity));
    if (v >= kDecidedScore) v = kWinScore - engine.plyIndex;
    if (v <= -kDecidedScore) v = engine.plyIndex - kWinScore;
    engine.patterns = snapshot;
    if (!stopRaised()) tableStore(engine.positionKey, v, Exact, 0, 10 * engine.recordCount, -1);
    return result(v, -1);
  }

  snapshot = engine.patterns;
  updatePatterns();

  NodeData node;
  const int cells = n * n;
  std::memset(node.mark, 0, sizeof(int) * cells);
  std::memset(node.score, 0, sizeof(int) * cells);
  std::memset(node.level, 0, sizeof(int) * cells);
  std::memset(node.freedom, 0, sizeof(int) * cells);
  node.count = 0;
  markNeighbourhood(node);

  // Score every cell near the stones.
  const auto& rank = engine.patterns.cellRank;
  const auto& cellLevel = engine.patterns.cellLevel;
  int decisiveCount = 0;
  int threatCell = -1;
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
        ++decisiveCount;
      } else if (oppLevel == 5) {
        threatCell = m;
      }
      node.level[m] = ownLevel;
      maxOwn = std::max(maxOwn, ownLevel);
    }
    maxOpp = std::max(maxOpp, oppLevel);
  }
  const bool win = maxOwn == 6 || (maxOwn == 5 && maxOpp <= 5);

  if (decisiveCount == 0 && threatCell >= 0) addThreeDefenceBonus(node, threatCell, opponent);

  // Candidate list; a five point of the side to move ends the node at once.
  for (int m = 0; m < cells; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (node.mark[m] == 0 || engine.board[a][b] != kEmpty || excludedAtRoot(isRoot, a, b)) continue;
    int s = node.score[m];
    if (isRoot != 0 && engine.rootCandidates[a][b] == 0) s -= kOutsideRootPenalty;
    if (threatCell >= 0) {
      s -= kThreatPenalty;
      if (node.level[m] >= 4) s += kThreatAnswerBonus;
    }
    if (s <= 0) continue;
    if (m == hashMove) {
      node.list[node.count++] = {m, kHashMoveKey};
    } else if (s >= kFivePointScore) {
      const int v = kWinScore - engine.plyIndex;
      if (!stopRaised() && !rootWithExclusions(isRoot))
        tableStore(engine.positionKey, v, Exact, depthFloor, storePriority(depth), m);
      return result(v, m);
    } else {
      node.list[node.count++] = {m, s - kListKeyOffset};
    }
  }

  if (win) {
    engine.patterns = snapshot;
    return result(kWinScore, node.count > 0 ? node.list[firstHighestKey(node, 0)].move : -1);
  }

  if (decisiveCount > 0 && node.count > 0) {
    node.list[0] = node.list[firstHighestKey(node, 0)];
    node.count = 1;
  }

  if (isRoot != 0) {
    if (engine.rootCandidateCount <= 0) {
      engine.searchAborted = 1;
      return result(-kWinScore, -1);
    }
    // Under exclusions the one move left is still searched, for its score.
    if (engine.rootCandidateCount == 1 && !rootWithExclusions(isRoot)) {
      int only = -1;
      for (int a = 0; a < n && only < 0; ++a) {
        for (int b = 0; b < n; ++b) {
          if (engine.rootCandidates[a][b] != 0) {
            only = moveNumberOf(a, b, n);
            break;
          }
        }
      }
      engine.searchAborted = 1;
      return result(engine.bestScore, only);
    }
  }

  // Move loop.
  int best = kNoCandidateScore;
  int bestMove = -1;
  int bound = UpperBound;
  bool pvFound = false;
  const int moves = std::min(node.count, width);
  const double r0 = moves >= 1 ? baseReduction(moves, engine.referenceWidth) : 0.0;
  const int childWidth = std::min(width * engine.widthNumerator / engine.widthDenominator + 1, width);

  for (int i = 0; i < moves; ++i) {
    selectCandidate(node, i, opponent);
    const int c = node.list[i].move;
    const int a = moveRow(c, n);
    const int b = moveColumn(c, n);
    const uint64_t stoneKey = engine.stoneKeys[si][c];

    reportRootEvent(isRoot, RootMoveStarted, c);
    engine.plyIndex += 1;
    engine.positionKey ^= stoneKey;
    engine.selDepth = std::max(engine.selDepth, engine.plyIndex);
    engine.stoneCount += 1;
    engine.board[a][b] = side;

    const int penalty = forcingPenaltyOf(node.level[c]);
    int late = lateMoveCount + i;
    int extra = 0;
    if (late >= kLateMovePeriod) {
      extra = late / kLateMovePeriod;
      late = late % kLateMovePeriod;
    }
    double reduction = r0 + extra;
    int m = 0;
    for (;;) {
      const double childDepth = depth - reduction;
      if (pvFound) {
        m = -penalty -
            principalSearch(childWidth, childDepth, -alpha - 1 - penalty, -alpha - penalty, 1 - parity, 0, late).score;
        if (engine.searchAborted != 0) break;
        if (alpha < m && m < beta) {
          m = -penalty -
              principalSearch(childWidth, childDepth, -beta - penalty, -alpha - penalty, 1 - parity, 0, late).score;
        }
      } else {
        m = -penalty -
            principalSearch(childWidth, childDepth, -beta - penalty, -alpha - penalty, 1 - parity, 0, late).score;
      }
      if (engine.searchAborted != 0) break;
      if (m >= kDecidedScore || m <= alpha) break;
      if (m > best && extra > 0) {
        // A late move that beats the best so far is searched again at full depth.
        reduction = r0;
        extra = 0;
        continue;
      }
      break;
    }

    engine.board[a][b] = kEmpty;
    engine.stoneCount -= 1;
    engine.positionKey ^= stoneKey;
    engine.plyIndex -= 1;

    if (engine.searchAborted != 0) {
      if (isRoot == 0) return result(-kWinScore, -1);
      if (i == 0) return result(engine.bestScore, engine.bestMove);
      if (best <= -kDecidedScore) return result(-kWinScore, c);
      return result(best, bestMove);
    }

    reportRootEvent(isRoot, RootMoveDone, c);
    if (m <= -kDecidedScore) reportRootEvent(isRoot, RootMoveLoses, c);
    if (m > alpha) reportRootEvent(isRoot, RootMoveBest, c);
    best = std::max(best, m);
    if (m > alpha) {
      alpha = m;
      bestMove = c;
      bound = Exact;
      pvFound = true;
    }
    if (m >= kDecidedScore) break;
    if (alpha >= beta) {
      bound = LowerBound;
      break;
    }
  }

  int depthBonus = 0;
  if ((best >= kDecidedScore && best > alpha0) || (best <= -kDecidedScore && best < beta0)) {
    bound = Exact;
    depthBonus = kDecidedDepthBonus;
  }
  if (!stopRaised() && !rootWithExclusions(isRoot)) {
    tableStore(engine.positionKey, best, bound, static_cast<int>(depth + depthBonus), storePriority(depth), bestMove);
  }
  engine.patterns = snapshot;
  return result(best, bestMove);
}

void prepareStandaloneRootSearch(int32_t nodeLimit) {
  const int n = engine.boardSize;
  engine.nodeLimit = nodeLimit;
  engine.nodeCount = 0;
  engine.nodeLimitHit = 0;
  engine.searchAborted = 0;
  engine.stopFlag = 0;
  engine.plyIndex = 0;
  engine.selDepth = 0;
  engine.referenceWidth = 60;
  engine.widthNumerator = 1;
  engine.widthDenominator = 1;
  engine.bestScore = 0;
  engine.bestMove = -1;
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidateCount = 0;
  engine.rootExcludedCount = 0;
  engine.rootEventHook = nullptr;
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
