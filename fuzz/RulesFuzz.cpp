// Fuzz target: the Renju test, the incremental pattern update, the threat
// search, the principal search and the fallback move on arbitrary positions.
//
// The input is a board size, a rule and a list of operations: stone edits,
// pattern updates (compared with a full rebuild), forbidden tests, threat
// searches, short principal searches and fallback moves, each checked against what must hold whatever
// the position: nothing changes the board behind the caller's back, results
// stay in range, and the few outcomes that follow from the position alone
// (a five to complete, a double threat to face) are the ones reported.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "AI/AIx.h"
#include "AI/PositionTable.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/Fallback.h"
#include "rules/LineViews.h"
#include "rules/Patterns.h"
#include "rules/Position.h"
#include "rules/Renju.h"
#include "threat/ThreatSearch.h"

namespace {

using namespace quenvik;

// A threat search has no budget of its own; a position that keeps one busy
// this long is stopped as the timer would stop it in a game.
constexpr auto kThreatWatchdog = std::chrono::seconds(5);

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_rules: %s\n", what);
  std::abort();
}

// Reads the operation stream; past its end every read gives 0.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
};

int boardSide() { return engine.boardSize; }

void countStones() {
  const int n = boardSide();
  int stones = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) stones += engine.board[a][b] != kEmpty ? 1 : 0;
  }
  engine.stoneCount = stones;
}

// ---------------------------------------------------------------------------
// The position's own facts, computed from first principles.
// ---------------------------------------------------------------------------

constexpr int kStep[kDirections][2] = {{0, 1}, {1, 0}, {-1, 1}, {1, 1}};

int runThrough(int a, int b, int direction, int32_t colour) {
  const int n = boardSide();
  int length = 1;
  for (int sign : {-1, 1}) {
    int ra = a + sign * kStep[direction][0], rb = b + sign * kStep[direction][1];
    while (ra >= 0 && ra < n && rb >= 0 && rb < n && engine.board[ra][rb] == colour) {
      ++length;
      ra += sign * kStep[direction][0];
      rb += sign * kStep[direction][1];
    }
  }
  return length;
}

bool exactRuleFor(int32_t colour) { return exactFive() || (renju() && colour == kBlack); }

// Whether the cells just past both ends of colour's run through (a, b) hold
// the opponent's stones (the edge does not count).
bool runFlanked(int a, int b, int direction, int32_t colour) {
  const int n = boardSide();
  for (int sign : {-1, 1}) {
    int ra = a + sign * kStep[direction][0], rb = b + sign * kStep[direction][1];
    while (ra >= 0 && ra < n && rb >= 0 && rb < n && engine.board[ra][rb] == colour) {
      ra += sign * kStep[direction][0];
      rb += sign * kStep[direction][1];
    }
    if (ra < 0 || ra >= n || rb < 0 || rb >= n || engine.board[ra][rb] != -colour) return false;
  }
  return true;
}

// Would a stone of colour on the empty cell (a, b) complete a five that wins?
// Under Caro a row of exactly five flanked by the opponent does not.
bool completesFive(int a, int b, int32_t colour) {
  for (int d = 0; d < kDirections; ++d) {
    const int run = runThrough(a, b, d, colour);
    if (caro() && run == 5 && runFlanked(a, b, d, colour)) continue;
    if (exactRuleFor(colour) ? run == 5 : run >= 5) return true;
  }
  return false;
}

bool makesOverline(int a, int b) {
  for (int d = 0; d < kDirections; ++d) {
    if (runThrough(a, b, d, kBlack) >= 6) return true;
  }
  return false;
}

std::vector<int> completionCells(int32_t colour) {
  const int n = boardSide();
  std::vector<int> cells;
  for (int m = 0; m < n * n; ++m) {
    const int a = moveRow(m, n), b = moveColumn(m, n);
    if (engine.board[a][b] == kEmpty && completesFive(a, b, colour)) cells.push_back(m);
  }
  return cells;
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

void editCell(Reader& in) {
  const int n = boardSide();
  const int a = in.next() % n;
  const int b = in.next() % n;
  constexpr int32_t kValues[3] = {kEmpty, kBlack, kWhite};
  engine.board[a][b] = kValues[in.next() % 3];
  countStones();
}

struct PatternSnapshot {
  PatternState patterns;
  std::vector<int32_t> checkList;
  std::vector<int32_t> previousCheckList;
};

void takeSnapshot(PatternSnapshot& snapshot) {
  snapshot.patterns = engine.patterns;
  snapshot.checkList = engine.forbiddenCheckList;
  snapshot.previousCheckList = engine.previousForbiddenCheckList;
}

void restoreSnapshot(const PatternSnapshot& snapshot) {
  engine.patterns = snapshot.patterns;
  engine.forbiddenCheckList = snapshot.checkList;
  engine.previousForbiddenCheckList = snapshot.previousCheckList;
}

void checkPatternRanges(const PatternState& state) {
  const int n = boardSide();
  for (int c = 0; c < 2; ++c) {
    for (int a = 0; a < n; ++a) {
      for (int b = 0; b < n; ++b) {
        if (engine.board[a][b] != kEmpty) continue;
        const int32_t rank = state.cellRank[c][a][b], level = state.cellLevel[c][a][b];
        if (rank < 0 || rank > kMaxRank) fail("cell rank out of range");
        if (level != 0 && (level < 3 || level > 6)) fail("cell level out of range");
        for (int d = 0; d < kDirections; ++d) {
          const int32_t code = state.patternCodes[c][a][b][d];
          const int32_t cls = patternClassOf(code), count = patternCountOf(code);
          if ((code & ~0xF000F) != 0 || cls > Overline) fail("pattern code malformed");
          const bool countFits = cls == Dead ? count == 0 : cls == Four ? (count == 1 || count == 2) : count == 1;
          if (!countFits) fail("pattern count does not fit its class");
        }
      }
    }
  }
}

// The incremental update must leave exactly what a full rebuild computes.
void updateAndCompare() {
  int32_t boardBefore[kGridWidth][kGridWidth];
  std::memcpy(boardBefore, engine.board, sizeof boardBefore);
  updatePatterns();
  if (std::memcmp(boardBefore, engine.board, sizeof boardBefore) != 0) fail("updatePatterns changed the board");
  PatternSnapshot incremental;
  takeSnapshot(incremental);
  rebuildPatterns();
  const PatternState& rebuilt = engine.patterns;
  const PatternState& kept = incremental.patterns;
  const int n = boardSide();
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (kept.cellStateMap[a][b] != engine.board[a][b]) fail("snapshot differs from the board after an update");
      if (engine.board[a][b] != kEmpty) continue;
      for (int c = 0; c < 2; ++c) {
        if (std::memcmp(kept.patternCodes[c][a][b], rebuilt.patternCodes[c][a][b],
                        sizeof rebuilt.patternCodes[c][a][b]) != 0) {
          fail("incremental pattern codes differ from a rebuild");
        }
        if (kept.cellRank[c][a][b] != rebuilt.cellRank[c][a][b]) fail("incremental cell rank differs from a rebuild");
        if (kept.cellLevel[c][a][b] != rebuilt.cellLevel[c][a][b])
          fail("incremental cell level differs from a rebuild");
      }
    }
  }
  checkPatternRanges(kept);
  // Go on from the incremental state, so later updates build on it.
  restoreSnapshot(incremental);
}

int forbiddenOn(LineViews& views, int a, int b) {
  LineViews before = views;
  const int kind = forbiddenKind(views, a, b);
  if (std::memcmp(&before, &views, sizeof views) != 0) fail("forbiddenKind left the views changed");
  if (kind < Allowed || kind > OverlineKind) fail("forbidden kind out of range");
  return kind;
}

void testForbidden(Reader& in) {
  const int n = boardSide();
  const int a = in.next() % n;
  const int b = in.next() % n;
  LineViews views;
  buildLineViews(views);
  const int kind = forbiddenOn(views, a, b);
  const int32_t cell = engine.board[a][b];
  if ((!renju() || cell == kWhite) && kind != Allowed) fail("forbidden without Renju or for White");
  if (cell != kEmpty) return;
  // The same test with the Black stone already standing there.
  setViewsCell(views, a, b, kBlack, n);
  if (forbiddenOn(views, a, b) != kind) fail("forbidden kind depends on whether the stone is placed");
  if (!renju()) return;
  if (completesFive(a, b, kBlack) && kind != Allowed) fail("a move completing five is forbidden");
  if (!completesFive(a, b, kBlack) && makesOverline(a, b) && kind == Allowed) fail("an overline is allowed");
}

// Stops a threat search that runs past the watchdog, as the timer would.
struct Watchdog {
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;
  bool fired = false;
  std::thread thread;

  Watchdog() {
    thread = std::thread([this] {
      std::unique_lock<std::mutex> guard(lock);
      if (!done.wait_for(guard, kThreatWatchdog, [this] { return finished; })) {
        fired = true;
        engine.stopFlag = 1;
      }
    });
  }
  // Returns whether the search was stopped.
  bool finish() {
    {
      std::lock_guard<std::mutex> guard(lock);
      finished = true;
    }
    done.notify_one();
    thread.join();
    return fired;
  }
};

void checkThreatResult(int result, int32_t attacker, const std::vector<int>& own, const std::vector<int>& opposing) {
  const int n = boardSide();
  if (result < 0 || result > n * n + 1) fail("threat search result out of range");
  if (result < n * n && engine.board[moveRow(result, n)][moveColumn(result, n)] != kEmpty) {
    fail("threat search answers an occupied cell");
  }
  if (!own.empty()) {
    bool completing = false;
    for (int m : own) completing = completing || m == result;
    if (!completing) fail("the attacker can complete five but the search answers something else");
    return;
  }
  if (opposing.size() >= 2 && result < n * n) fail("a win claimed against a double four");
  if (result < n * n && renju() && attacker == kBlack) {
    LineViews views;
    buildLineViews(views);
    if (forbiddenKind(views, moveRow(result, n), moveColumn(result, n)) != Allowed) {
      fail("a forbidden first move claimed as Black's win");
    }
  }
}

void testThreatSearch(Reader& in) {
  const uint8_t choice = in.next();
  const int32_t attacker = (choice & 1) ? kBlack : kWhite;
  const int request = (choice >> 1) % 9;
  const std::vector<int> own = completionCells(attacker);
  const std::vector<int> opposing = completionCells(-attacker);
  int32_t boardBefore[kGridWidth][kGridWidth];
  std::memcpy(boardBefore, engine.board, sizeof boardBefore);
  const int32_t stonesBefore = engine.stoneCount;
  resetThinkControl();

  Watchdog watchdog;
  const auto started = std::chrono::steady_clock::now();
  const int result = threatSearch(attacker, threatDepthLimit(request));
  const bool stopped = watchdog.finish();

  if (std::memcmp(boardBefore, engine.board, sizeof boardBefore) != 0) fail("the threat search changed the board");
  if (engine.stoneCount != stonesBefore) fail("the threat search changed the stone count");
  if (!engine.threatLine.empty()) fail("the threat search left moves on its line");
  LineViews fresh = engine.threatBoard;
  buildLineViews(fresh);
  if (request != 0 && std::memcmp(&fresh, &engine.threatBoard, sizeof fresh) != 0) {
    fail("the threat board differs from the board after the search");
  }
  if (stopped) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::fprintf(stderr, "fuzz_rules: threat search stopped after %lld ms\n", static_cast<long long>(ms.count()));
    engine.stopFlag = 0;
    return;
  }
  if (request == 0) {
    if (result != boardSide() * boardSide() + 1) fail("request 0 searched");
    return;
  }
  checkThreatResult(result, attacker, own, opposing);
}

void testFallback() {
  const int n = boardSide();
  int32_t boardBefore[kGridWidth][kGridWidth];
  std::memcpy(boardBefore, engine.board, sizeof boardBefore);
  const int move = fallbackMove();
  if (std::memcmp(boardBefore, engine.board, sizeof boardBefore) != 0) fail("fallbackMove changed the board");
  if (move == -1) return;
  if (move < 0 || move >= n * n) fail("fallback move out of range");
  if (engine.board[moveRow(move, n)][moveColumn(move, n)] != kEmpty) fail("fallback move on an occupied cell");
}

bool tableCleared = false;

// A short search from the root as the decision runs it, under a node limit;
// it must give back the board, the stone count, the key and the ply as it
// found them, answer an empty cell or none, and leave a pattern state that
// the next update brings exactly in line with the board.
void testPrincipalSearch(Reader& in) {
  const uint8_t choice = in.next();
  const double depth = 1 + choice % 4;
  const int candidates = (choice >> 2) % 4;  // all empty cells, one, none, every other one
  const int32_t nodeLimit = 30 + 20 * (choice >> 4);
  const int n = boardSide();
  if (!tableCleared) {
    clearPositionTable();  // stale entries would make a crash depend on earlier inputs
    tableCleared = true;
  }
  prepareStandaloneRootSearch(nodeLimit);
  engine.positionKey = computePositionKey();
  engine.recordCount = engine.stoneCount;
  if (candidates != 0) {
    // Narrow the root's candidates: the first empty cell, none, or every other one.
    std::memset(engine.rootCandidates, 0, sizeof engine.rootCandidates);
    engine.rootCandidateCount = 0;
    for (int m = 0, empty = 0; m < n * n; ++m) {
      const int a = moveRow(m, n), b = moveColumn(m, n);
      if (engine.board[a][b] != kEmpty) continue;
      const bool mark = (candidates == 1 && engine.rootCandidateCount == 0) || (candidates == 3 && empty % 2 == 0);
      ++empty;
      if (!mark) continue;
      engine.rootCandidates[a][b] = 1;
      engine.rootCandidateCount = engine.rootCandidateCount + 1;
    }
  }

  int32_t boardBefore[kGridWidth][kGridWidth];
  std::memcpy(boardBefore, engine.board, sizeof boardBefore);
  const int32_t stonesBefore = engine.stoneCount;
  const uint64_t keyBefore = engine.positionKey;
  const SearchResult result = principalSearch(kRootWidth, depth, -kWinScore, kWinScore, 1, 0);
  const bool stopped = engine.stopFlag != 0 || engine.searchAborted != 0;
  engine.nodeLimit = 0;
  engine.stopFlag = 0;
  engine.searchAborted = 0;

  if (std::memcmp(boardBefore, engine.board, sizeof boardBefore) != 0) fail("the principal search changed the board");
  if (engine.stoneCount != stonesBefore) fail("the principal search changed the stone count");
  if (engine.positionKey != keyBefore) fail("the principal search changed the position key");
  if (engine.plyIndex != 0) fail("the principal search left its ply raised");
  if (result.move != -1) {
    if (result.move < 0 || result.move >= n * n) fail("principal search move out of range");
    if (engine.board[moveRow(result.move, n)][moveColumn(result.move, n)] != kEmpty) {
      fail("principal search answers an occupied cell");
    }
  }
  if (stopped) {
    // A stopped search returns without copying its snapshots back, so the
    // pattern state is that of the position it was searching. The next
    // update repairs the lines near the moves taken back, but under Renju a
    // forbidden status that hangs on a far stone can stay stale; the engine
    // ends its decision at a stop and rebuilds at the next. Do likewise.
    rebuildPatterns();
    return;
  }
  updateAndCompare();
  // The searches restore each node's pattern state from its snapshot but
  // not the Renju forbidden-check list, which then describes the last
  // position updated below the root. A cell tested in the root position can
  // be missing from it, and a later change far from that cell no longer
  // retests it; a decision never changes the board after its search, and
  // the next decision rebuilds. Start afresh likewise.
  rebuildPatterns();
}

void runInput(const uint8_t* data, size_t size) {
  tableCleared = false;
  Reader in{data, size};
  const int n = kMinBoardSize + in.next() % (kMaxBoardSize - kMinBoardSize + 1);
  const Rule rule = kAllRules[in.next() % std::size(kAllRules)];
  resetPosition();
  // The same game keys for every input, so a crash never depends on earlier ones.
  seedRandom(kMainThreadSeed);
  makeGameKeys();
  engine.rule = rule;
  engine.boardSize = n;
  countStones();
  rebuildPatterns();
  while (in.more()) {
    switch (in.next() % 8) {
      case 4:
        updateAndCompare();
        break;
      case 5:
        testForbidden(in);
        break;
      case 6:
        testThreatSearch(in);
        break;
      case 7:
        testFallback();
        break;
      case 3:
        testPrincipalSearch(in);
        break;
      default:
        editCell(in);
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The Renju test recurses as deep as the empty cells allow: search stack.
  runOnSearchStack([&] { runInput(data, size); });
  return 0;
}
