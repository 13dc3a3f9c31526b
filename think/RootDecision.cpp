#include "think/RootDecision.h"

#include <algorithm>
#include <cstring>

#include "AI/AIx.h"
#include "core/EngineState.h"
#include "rules/Fallback.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Position.h"
#include "rules/Renju.h"
#include "think/Analysis.h"
#include "think/TimeControl.h"
#include "threat/ThreatSearch.h"

namespace quenvik {

namespace {

int64_t elapsedSinceSearchStart() { return clockMs() - engine.searchStartTime; }

bool detailOn() { return engine.showDetail.load(std::memory_order_relaxed) != 0; }

// max_depth d allows iterations 0 .. d - 1 (depths 1 .. d).
int cappedIterationIndex(int maxIterationIndex) {
  const int32_t limit = engine.depthLimit.load();
  return limit > 0 ? std::min(maxIterationIndex, limit - 1) : maxIterationIndex;
}

void forwardRootEvent(void* context, RootEventKind kind, int move) {
  const Reporter& reporter = *static_cast<const Reporter*>(context);
  const int n = engine.boardSize;
  reporter.rootEvent(reporter.context, kind, engine.boardOriginX + moveRow(move, n),
                     engine.boardOriginY + moveColumn(move, n));
}

// The principal search reports its root moves while the decision runs, when
// show_detail asks for them.
struct RootEventScope {
  explicit RootEventScope(const Reporter& reporter) {
    if (!detailOn() || reporter.rootEvent == nullptr) return;
    engine.rootEventContext = const_cast<Reporter*>(&reporter);
    engine.rootEventHook = forwardRootEvent;
  }
  ~RootEventScope() {
    engine.rootEventHook = nullptr;
    engine.rootEventContext = nullptr;
  }
  RootEventScope(const RootEventScope&) = delete;
  RootEventScope& operator=(const RootEventScope&) = delete;
};

// The moves already reported leave the root's candidates, so the root's
// shortcuts for no or one candidate see what is really left.
void excludeRootMoves(const int* excluded, int count) {
  if (count == 0) return;
  const int n = engine.boardSize;
  std::memset(engine.rootExcluded, 0, sizeof engine.rootExcluded);
  for (int i = 0; i < count; ++i) {
    const int a = moveRow(excluded[i], n);
    const int b = moveColumn(excluded[i], n);
    engine.rootExcluded[a][b] = 1;
    if (engine.rootCandidates[a][b] != 0) {
      engine.rootCandidates[a][b] = 0;
      engine.rootCandidateCount = engine.rootCandidateCount - 1;
    }
  }
  engine.rootExcludedCount = count;
}

void clearRootExclusions() {
  if (engine.rootExcludedCount == 0) return;
  std::memset(engine.rootExcluded, 0, sizeof engine.rootExcluded);
  engine.rootExcludedCount = 0;
}

// The cell where `side` would make five, or -1; -2 when there are several.
int onlyFivePoint(int32_t side) {
  const int n = engine.boardSize;
  int found = -1;
  for (int m = 0; m < n * n; ++m) {
    if (engine.board[moveRow(m, n)][moveColumn(m, n)] != kEmpty ||
        !stoneMakesFive(side, moveRow(m, n), moveColumn(m, n)))
      continue;
    if (found >= 0) return -2;
    found = m;
  }
  return found;
}

// Own moves up to and including the five of the forced win by fours that
// starts with `first`: the line is played out, each attacker move the threat
// search's, each defender move the block of the one five point (a four that
// leaves two five points wins on the next move). The board is restored.
int forcedWinLength(int32_t side, int first) {
  constexpr int kLongestLine = 12;
  const int n = engine.boardSize;
  int placed[2 * kLongestLine];
  int placedCount = 0;
  int moves = 0;
  int move = first;
  auto place = [&](int m, int32_t colour) {
    engine.board[moveRow(m, n)][moveColumn(m, n)] = colour;
    engine.stoneCount = engine.stoneCount + 1;
    placed[placedCount++] = m;
  };
  while (moves < kLongestLine && move >= 0 && move < n * n) {
    ++moves;
    if (stoneMakesFive(side, moveRow(move, n), moveColumn(move, n))) break;
    place(move, side);
    const int block = onlyFivePoint(side);
    if (block == -2) {
      ++moves;
      break;
    }
    if (block < 0) break;  // not a four after all: the count so far stands
    place(block, -side);
    move = threatSearch(side, kOwnWinDepthLimit);
  }
  for (int i = 0; i < placedCount; ++i) engine.board[moveRow(placed[i], n)][moveColumn(placed[i], n)] = kEmpty;
  engine.stoneCount = engine.stoneCount - placedCount;
  return moves;
}

void prepare(const Reporter& reporter, int maxIterationIndex, int referenceWidth, int widthNumerator,
             int widthDenominator) {
  engine.nodeLimitHit = 0;
  engine.rootAnsweredAtOnce = 0;
  engine.searchAborted = 0;
  const int32_t budget = currentTimeBudget(kStableBudgetDivisor);
  engine.timeBudget = budget;
  if (reporter.expectedTime != nullptr) reporter.expectedTime(reporter.context, budget);
  engine.nodeCount = 0;
  engine.searchStartTime = clockMs();
  engine.maxDepth = cappedIterationIndex(maxIterationIndex);
  engine.referenceWidth = referenceWidth;
  engine.widthNumerator = widthNumerator;
  engine.widthDenominator = widthDenominator;
  engine.positionKey = computePositionKey();
}

// Black may not play a forbidden point under Renju; such a cell is never a
// root candidate, or a lone candidate would be played without a search.
bool forbiddenForMover(LineViews& views, int32_t side, int a, int b) {
  return side == kBlack && renju() && forbiddenKind(views, a, b) != Allowed;
}

void markRootCandidate(int a, int b) {
  engine.rootCandidates[a][b] = 1;
  engine.rootCandidateCount = engine.rootCandidateCount + 1;
}

// Keeps the cells where a stone of `side` leaves the opponent no forced win
// by fours (every empty cell when the opponent has none).
void screenRootCandidates(int32_t side, bool opponentThreatens) {
  const int n = engine.boardSize;
  engine.plyIndex = 0;
  engine.selDepth = 0;
  updatePatterns();
  std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
  engine.rootCandidateCount = 0;
  LineViews views;
  if (side == kBlack && renju()) buildLineViews(views);
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (engine.board[a][b] != kEmpty) continue;
    if (forbiddenForMover(views, side, a, b)) continue;
    if (!opponentThreatens) {
      markRootCandidate(a, b);
      continue;
    }
    engine.stoneCount = engine.stoneCount + 1;
    engine.board[a][b] = side;
    const int reply = threatSearch(-side, kOpponentWinDepthLimit);
    engine.board[a][b] = kEmpty;
    engine.stoneCount = engine.stoneCount - 1;
    if (reply >= n * n) markRootCandidate(a, b);
  }
}

void reportIteration(const Reporter& reporter, int d) {
  if (reporter.iteration == nullptr) return;
  const int n = engine.boardSize;
  // With no move yet the cell reads as -1 % N, -1 / N, as the line always has.
  const IterationReport line{d + 1, engine.bestMove % n, engine.bestMove / n, engine.bestScore,
                             elapsedSinceSearchStart()};
  reporter.iteration(reporter.context, line);
}

void reportSummary(const Reporter& reporter, int completedIndex, int reachedSelDepth) {
  engine.searchAborted = 0;
  if (reporter.summary == nullptr) return;
  const SearchSummary summary{engine.nodeCount, elapsedSinceSearchStart(), completedIndex + 1, reachedSelDepth,
                              engine.bestScore};
  reporter.summary(reporter.context, summary);
}

bool decided(int score) { return score >= kDecidedScore || score <= -kDecidedScore; }

// A root search that stops after every move it finished lost hands back the
// move it was searching, scored -20000: that move is still the better choice
// (the others are shown to lose at this depth), but the score is no value
// of the position, which has moves left unsearched.
bool stoppedWithoutAValue(const SearchResult& result) {
  return engine.searchAborted.load() != 0 && result.move != -1 && result.score <= -kDecidedScore;
}

// Iterative deepening over the root candidates, widening the time budget
// while the best move keeps changing. Returns the deepest finished depth.
// A cut iteration's score counts only where it is a search result;
// otherwise the decision keeps the score of the last finished iteration.
int deepen(const Reporter& reporter, bool blockPerIteration) {
  engine.bestScore = 0;
  engine.bestMove = -1;
  IterationResult current{0, 0};
  IterationResult previous{0, 0};
  int completedIndex = 0;
  int reachedSelDepth = 0;
  for (int d = 0; d <= engine.maxDepth;) {
    previous = current;
    current = {engine.bestScore, engine.bestMove};
    engine.iterationIndex = d;
    const SearchResult result = principalSearch(engine.referenceWidth, d + 1.0, -kWinScore, kWinScore, 1, 0);
    // A stop that lands between two iterations makes the next one return no
    // move at once; the move of the iteration that did finish stands.
    const bool stoppedBeforeAnyMove = engine.searchAborted.load() != 0 && result.move == -1 && engine.bestMove != -1;
    const bool noValue = stoppedWithoutAValue(result);
    if (!stoppedBeforeAnyMove) {
      engine.bestScore = noValue ? static_cast<int16_t>(current.score) : result.score;
      engine.bestMove = result.move;
    }

    const bool stable = bestMoveStable(previous, current, {result.score, result.move});
    engine.timeBudget = currentTimeBudget(budgetDivisorFor(stable));
    engine.softStop = softLimitReached(clockMs() - engine.startTime.load(), engine.timeBudget.load()) ? 1 : 0;

    if (iterationLineDue(d, engine.nodeCount) && !noValue) reportIteration(reporter, d);

    if (engine.searchAborted.load() != 0 || engine.rootAnsweredAtOnce != 0) break;
    if (blockPerIteration && detailOn() && engine.bestMove != -1) {
      reportAnalysis(reporter, {engine.bestMove, engine.bestScore, d + 1, true}, 0, 1);
    }
    completedIndex = std::max(completedIndex, d);
    reachedSelDepth = std::max(reachedSelDepth, engine.selDepth);
    ++d;
    if (decided(engine.bestScore) || engine.softStop.load() != 0) break;
  }
  reportSummary(reporter, completedIndex, reachedSelDepth);
  return completedIndex + 1;
}

// The moves of a forced win by fours, worked out only when an analysis block
// will show it.
RootOutcome forcedWinOutcome(int move) {
  const int moves = forcedWinLength(sideToMove(), move);
  return {move, scoreOfWinIn(moves), 2 * moves - 1, true};
}

// A forced win by fours, found before any principal search.
RootOutcome forcedWin(const Reporter& reporter, int move) {
  if (reporter.forcedWin != nullptr) reporter.forcedWin(reporter.context);
  if (engine.rootEventHook != nullptr) engine.rootEventHook(engine.rootEventContext, RootMoveBest, move);
  if (reporter.analysis == nullptr || !detailOn()) return {move, kWinScore, 1, true};
  const RootOutcome outcome = forcedWinOutcome(move);
  reportAnalysis(reporter, outcome, 0, 1);
  return outcome;
}

// The screening's verdict on every move the side to move may play: the root
// candidates stop the opponent's forced win (all moves do when it has none);
// the other moves are reported lost, for a GUI to mark them.
void reportDefences(const Reporter& reporter, bool opponentThreatens) {
  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  LineViews views;
  if (side == kBlack && renju()) buildLineViews(views);
  DefenceReport report{};
  report.opponentWins = opponentThreatens;
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n);
    const int b = moveColumn(m, n);
    if (engine.board[a][b] != kEmpty || forbiddenForMover(views, side, a, b)) continue;
    if (engine.rootCandidates[a][b] == 0) {
      if (engine.rootEventHook != nullptr) engine.rootEventHook(engine.rootEventContext, RootMoveLoses, m);
      continue;
    }
    report.x[report.count] = engine.boardOriginX + a;
    report.y[report.count] = engine.boardOriginY + b;
    ++report.count;
  }
  if (reporter.defences != nullptr) reporter.defences(reporter.context, report);
}

// Stages 1 and 2: the own forced win by fours (MoveNumber, or N*N and more
// for none), then the opponent's and the screening of the root candidates.
int threatStages(const Reporter& reporter, bool defend) {
  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const int ownWin = threatSearch(side, kOwnWinDepthLimit);
  if (ownWin < n * n) return ownWin;
  const int opponentWin = threatSearch(-side, kOpponentWinDepthLimit);
  screenRootCandidates(side, opponentWin < n * n);
  if (defend) reportDefences(reporter, opponentWin < n * n);
  return ownWin;
}

RootOutcome decideRootMove(const Reporter& reporter, const RootLimits& limits, bool defend) {
  prepare(reporter, limits.maxIterationIndex, limits.referenceWidth, limits.widthNumerator, limits.widthDenominator);
  if (engine.stoneCount <= 0) return {fallbackMove(), 0, 0, false};
  const RootEventScope events(reporter);
  const int ownWin = threatStages(reporter, defend);
  if (ownWin < engine.boardSize * engine.boardSize) return forcedWin(reporter, ownWin);

  const int depth = deepen(reporter, true);
  if (engine.bestMove != -1) return {engine.bestMove, engine.bestScore, depth, true};
  if (reporter.fallback != nullptr) reporter.fallback(reporter.context);
  return {fallbackMove(), engine.bestScore, depth, false};
}

// ---------------------------------------------------------------------------
// N-best: the lines of one iteration are searched one after the other at the
// same depth, the k-th with the moves of the k - 1 lines before it left out
// at the root; the whole decision shares one time budget and one node limit.
// ---------------------------------------------------------------------------

struct AnalysedLine {
  int move;
  int score;
};

// The lines of one deepening iteration.
struct LineSet {
  AnalysedLine line[kMaxRecordMoves];
  int count = 0;
  int depth = 0;
};

// The root candidates as the screening left them; each line starts from
// them and leaves out the moves of the lines before it.
struct ScreenedRoot {
  int32_t candidates[kGridWidth][kGridWidth];
  int32_t count;
};

void restoreRootCandidates(const ScreenedRoot& screened) {
  std::memcpy(engine.rootCandidates, screened.candidates, sizeof engine.rootCandidates);
  engine.rootCandidateCount = screened.count;
}

// Root events of the lines after the first leave out BEST: the GUI draws it
// as the decision's best move, which only the first line searches for.
void forwardOtherLineEvent(void* context, RootEventKind kind, int move) {
  if (kind != RootMoveBest) forwardRootEvent(context, kind, move);
}

void routeRootEventsOfLine(int k) {
  if (engine.rootEventHook == nullptr) return;
  engine.rootEventHook = k == 0 ? forwardRootEvent : forwardOtherLineEvent;
}

void sortBestFirst(LineSet& lines) {
  std::stable_sort(lines.line, lines.line + lines.count,
                   [](const AnalysedLine& a, const AnalysedLine& b) { return a.score > b.score; });
}

bool allDecided(const LineSet& lines) {
  return std::all_of(lines.line, lines.line + lines.count, [](const AnalysedLine& l) { return decided(l.score); });
}

void reportLines(const Reporter& reporter, const LineSet& lines, int forcedMove, int forcedDepth) {
  for (int k = 0; k < lines.count; ++k) {
    const AnalysedLine& line = lines.line[k];
    const int depth = line.move == forcedMove ? forcedDepth : lines.depth;
    reportAnalysis(reporter, {line.move, line.score, depth, true}, k, lines.count);
  }
}

// What the iterations of an N-best decision found.
struct LineSearch {
  LineSet finished;       // the last iteration whose every line finished
  LineSet current;        // the iteration under way
  bool reportedFinished;  // its blocks went out already
  AnalysedLine cutFirst;  // the first line of a first iteration that was cut
};

// One iteration: line after line at depth d + 1. Returns false when a stop
// cut it; `current` then holds the lines that did finish.
bool searchLinesOnce(LineSearch& search, const ScreenedRoot& screened, int d, int lines, AnalysedLine forced,
                     bool& onlyOneMove) {
  LineSet& current = search.current;
  current.count = 0;
  current.depth = d + 1;
  if (forced.move >= 0) current.line[current.count++] = forced;
  for (int k = current.count; k < lines; ++k) {
    restoreRootCandidates(screened);
    int excluded[kMaxRecordMoves];
    for (int i = 0; i < current.count; ++i) excluded[i] = current.line[i].move;
    excludeRootMoves(excluded, current.count);
    // A cut at the root's first move hands back these: this line's last result.
    const bool seenBefore = k < search.finished.count;
    engine.bestScore = static_cast<int16_t>(seenBefore ? search.finished.line[k].score : 0);
    engine.bestMove = static_cast<int16_t>(seenBefore ? search.finished.line[k].move : -1);
    routeRootEventsOfLine(k);
    engine.rootAnsweredAtOnce = 0;
    const SearchResult result = principalSearch(engine.referenceWidth, d + 1.0, -kWinScore, kWinScore, 1, 0);
    clearRootExclusions();
    if (engine.searchAborted.load() != 0) {
      if (d == 0 && k == 0) search.cutFirst = {result.move, stoppedWithoutAValue(result) ? 0 : result.score};
      return false;
    }
    if (result.move == -1) break;  // no root move left
    current.line[current.count++] = {result.move, result.score};
    if (engine.rootAnsweredAtOnce != 0) {
      onlyOneMove = true;
      break;
    }
  }
  return true;
}

}  // namespace

int analyseBestMoves(const Reporter& reporter, const RootLimits& limits, int requestedLines) {
  prepare(reporter, limits.maxIterationIndex, limits.referenceWidth, limits.widthNumerator, limits.widthDenominator);
  const RootEventScope events(reporter);
  const int n = engine.boardSize;
  const int lines = std::max(1, std::min(requestedLines, n * n - engine.stoneCount));

  AnalysedLine forced{-1, 0};
  int forcedDepth = 0;
  const int ownWin = threatSearch(sideToMove(), kOwnWinDepthLimit);
  if (ownWin < n * n) {
    if (reporter.forcedWin != nullptr) reporter.forcedWin(reporter.context);
    const RootOutcome win = forcedWinOutcome(ownWin);
    forced = {ownWin, win.score};
    forcedDepth = win.depth;
  }
  const int opponentWin = threatSearch(-sideToMove(), kOpponentWinDepthLimit);
  screenRootCandidates(sideToMove(), opponentWin < n * n);
  ScreenedRoot screened;
  std::memcpy(screened.candidates, engine.rootCandidates, sizeof screened.candidates);
  screened.count = engine.rootCandidateCount;

  LineSearch search{};
  search.cutFirst = {-1, 0};
  if (forced.move >= 0) {
    search.finished.line[search.finished.count++] = forced;
    search.finished.depth = forcedDepth;
  }
  // The best line's results two iterations back and one back, for the time
  // budget, as the ordinary decision keeps them.
  IterationResult older{0, 0};
  IterationResult last{0, -1};
  int completedIndex = 0;
  int reachedSelDepth = 0;
  for (int d = 0; d <= engine.maxDepth && (forced.move < 0 || lines > 1); ++d) {
    engine.iterationIndex = d;
    bool onlyOneMove = false;
    if (!searchLinesOnce(search, screened, d, lines, forced, onlyOneMove)) {
      // Nothing finished yet: the lines the first iteration did finish.
      if (d == 0) {
        sortBestFirst(search.current);
        search.finished = search.current;
      }
      break;
    }
    sortBestFirst(search.current);
    search.finished = search.current;
    search.reportedFinished = false;
    completedIndex = d;
    reachedSelDepth = std::max(reachedSelDepth, engine.selDepth);
    if (search.finished.count == 0) break;

    const AnalysedLine best = search.finished.line[0];
    engine.bestScore = static_cast<int16_t>(best.score);
    engine.bestMove = static_cast<int16_t>(best.move);
    const IterationResult latest{best.score, best.move};
    const bool stable = bestMoveStable(older, last, latest);
    older = last;
    last = latest;
    engine.timeBudget = currentTimeBudget(budgetDivisorFor(stable));
    engine.softStop = softLimitReached(clockMs() - engine.startTime.load(), engine.timeBudget.load()) ? 1 : 0;
    if (iterationLineDue(d, engine.nodeCount)) reportIteration(reporter, d);
    if (detailOn()) {
      reportLines(reporter, search.finished, forced.move, forcedDepth);
      search.reportedFinished = true;
    }
    if (onlyOneMove || allDecided(search.finished) || engine.softStop.load() != 0) break;
  }

  const LineSet& result = search.finished;
  engine.bestScore = static_cast<int16_t>(result.count > 0 ? result.line[0].score : search.cutFirst.score);
  engine.bestMove = static_cast<int16_t>(result.count > 0 ? result.line[0].move : search.cutFirst.move);
  if (forced.move < 0 || lines > 1) reportSummary(reporter, completedIndex, reachedSelDepth);
  if (!search.reportedFinished) reportLines(reporter, result, forced.move, forcedDepth);
  if (engine.bestMove != -1) return engine.bestMove;
  if (reporter.fallback != nullptr) reporter.fallback(reporter.context);
  return fallbackMove();
}

RootOutcome decideRootMoveWithout(const Reporter& reporter, const RootLimits& limits, const int* excluded,
                                  int excludedCount) {
  prepare(reporter, limits.maxIterationIndex, limits.referenceWidth, limits.widthNumerator, limits.widthDenominator);
  if (engine.stoneCount <= 0) return {fallbackMove(), 0, 0, false};
  const RootEventScope events(reporter);
  const int n = engine.boardSize;
  const int32_t side = sideToMove();
  const int ownWin = threatSearch(side, kOwnWinDepthLimit);
  if (ownWin < n * n && std::find(excluded, excluded + excludedCount, ownWin) == excluded + excludedCount) {
    return forcedWin(reporter, ownWin);
  }
  const int opponentWin = threatSearch(-side, kOpponentWinDepthLimit);
  screenRootCandidates(side, opponentWin < n * n);
  excludeRootMoves(excluded, excludedCount);
  const int depth = deepen(reporter, false);
  clearRootExclusions();
  if (engine.bestMove != -1) return {engine.bestMove, engine.bestScore, depth, true};
  if (excludedCount > 0) return {-1, engine.bestScore, depth, false};
  if (reporter.fallback != nullptr) reporter.fallback(reporter.context);
  return {fallbackMove(), engine.bestScore, depth, false};
}

int rootDecision(const Reporter& reporter, const RootLimits& limits, bool withDefences) {
  return decideRootMove(reporter, limits, withDefences).move;
}

void reportAnalysis(const Reporter& reporter, const RootOutcome& outcome, int pvIndex, int pvCount) {
  if (reporter.analysis == nullptr || outcome.move < 0) return;
  AnalysisReport report{};
  report.pvIndex = pvIndex;
  report.pvCount = pvCount;
  report.depth = outcome.depth;
  report.score = outcome.score;
  report.lineLength = bestLineFrom(outcome.move, report.lineX, report.lineY);
  reporter.analysis(reporter.context, report);
}

}  // namespace quenvik
