// Proof search for a forced win by continuous fours.
//
// Every defender reply is the single forced block, so a proof is one line of
// play; the first winning attacker move ends the node, and a win anywhere
// ends the whole search. Trial stones go on threatBoard and come off again on
// every path, together with their units in threatLine and stoneCount.
#include "threat/ThreatSearch.h"

#include <algorithm>
#include <string>

#include "rules/Renju.h"
#include "threat/ThreatBoard.h"
#include "threat/ThreatLine.h"

namespace quenvik {

namespace {

constexpr int kStoredDepthShift = 16;
constexpr uint32_t kStoredOutcomeMask = 0xFFFF;

int cellCount() { return engine.boardSize * engine.boardSize; }
int noWinProven() { return cellCount(); }
int noWinFound() { return cellCount() + 1; }

// The node's key, rebuilt in place for the lookup and again for the store
// (descendants reuse the buffer in between), so nodes do not allocate it.
std::u16string& scratchKey() {
  static std::u16string key = [] {
    std::u16string reserved;
    reserved.reserve(kMaxThreatLine + 2);
    return reserved;
  }();
  return key;
}

bool lookUpNode(uint32_t& word) {
  std::u16string& key = scratchKey();
  canonicalThreatKeyInto(engine.threatLine, key);
  return threatLookup(key, word);
}

// Records the node's outcome at its depth and returns the outcome.
int recordNode(int outcome, int depth) {
  std::u16string& key = scratchKey();
  canonicalThreatKeyInto(engine.threatLine, key);
  threatRecord(key, static_cast<uint32_t>(outcome) + (static_cast<uint32_t>(depth) << kStoredDepthShift));
  return outcome;
}

void placeStone(int move, int32_t colour) {
  const int n = engine.boardSize;
  setThreatCell(moveRow(move, n), moveColumn(move, n), colour);
  ++engine.stoneCount;
}

void takeBackStone(int move) {
  const int n = engine.boardSize;
  setThreatCell(moveRow(move, n), moveColumn(move, n), kEmpty);
  --engine.stoneCount;
}

// For the stone just placed on move: nonzero only for Black on a forbidden
// point under Renju.
bool forbiddenAt(int move) {
  const int n = engine.boardSize;
  return forbiddenKind(engine.threatBoard, moveRow(move, n), moveColumn(move, n)) != Allowed;
}

// The attacker's stone stands on move and made the four t. The defender
// blocks at its completion point; the attacker wins when that block is
// forbidden or when the position after it is won with one depth less.
bool forcedExchangeWins(int32_t attacker, int move, int t, int depth) {
  const int reply = t & kFourCellMask;
  placeStone(reply, -attacker);
  bool wins = forbiddenAt(reply);
  if (!wins) {
    appendThreatMove(move);
    appendThreatMove(reply);
    wins = threatSearchNode(attacker, depth - 1) < noWinProven();
    removeLastThreatExchange();
  }
  takeBackStone(reply);
  return wins;
}

// Places the attacker on move and reports whether that stone wins at once
// (a straight four) or, with fours allowed, through its forced exchange.
// The stone is taken back before returning.
bool attackWins(int32_t attacker, int move, int depth, bool straightFours, bool fours) {
  const int n = engine.boardSize;
  const int row = moveRow(move, n);
  const int col = moveColumn(move, n);
  placeStone(move, attacker);
  bool wins = false;
  // -1 unknown; the Renju test runs only when a move would otherwise count.
  int allowed = -1;
  auto isAllowed = [&] {
    if (allowed < 0) allowed = forbiddenAt(move) ? 0 : 1;
    return allowed == 1;
  };
  if (straightFours && openFourAt(row, col) && isAllowed()) {
    wins = true;
  } else if (fours) {
    const int t = foursAt(row, col);
    wins = t != 0 && isAllowed() && forcedExchangeWins(attacker, move, t, depth);
  }
  takeBackStone(move);
  return wins;
}

// Empty cells within two steps of an attacker stone along one of the eight
// lines, in row-major order. Cells where the attacker could not make even a
// four are left out: neither pass would play them.
int collectCandidates(int32_t attacker, int16_t* candidates) {
  const int n = engine.boardSize;
  bool near[kGridWidth][kGridWidth] = {};
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      if (threatCell(row, col) != attacker) continue;
      for (int dr = -2; dr <= 2; ++dr) {
        for (int dc = -2; dc <= 2; ++dc) {
          // Only the eight lines: straight, or exactly diagonal.
          if ((dr == 0 && dc == 0) || (dr != 0 && dc != 0 && dr != dc && dr != -dc)) continue;
          const int r = row + dr;
          const int c = col + dc;
          if (r >= 0 && r < n && c >= 0 && c < n) near[r][c] = true;
        }
      }
    }
  }
  int count = 0;
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      if (near[row][col] && threatCell(row, col) == kEmpty && couldMakeFour(row, col, attacker)) {
        candidates[count++] = static_cast<int16_t>(moveNumberOf(row, col, n));
      }
    }
  }
  return count;
}

// The node with depth of at least 1: the attacker is to move on threatBoard.
int searchNodeBody(int32_t attacker, int depth) {
  const int cells = cellCount();

  uint32_t stored = 0;
  if (lookUpNode(stored)) {
    const int outcome = static_cast<int>(stored & kStoredOutcomeMask);
    const int storedDepth = static_cast<int>(stored >> kStoredDepthShift);
    if (outcome <= cells) return static_cast<int>(stored);  // decided
    if (storedDepth == depth) return noWinFound();          // already cut off at this depth
  }

  const int own = scanFours(attacker);
  if (own != 0) return recordNode(own & kFourCellMask, depth);

  const int theirs = scanFours(-attacker);
  if (theirs != 0 && theirs < kManyFourPoints) {
    // One defender four: blocking it is the attacker's only move.
    const int block = theirs & kFourCellMask;
    if (attackWins(attacker, block, depth, true, true)) return recordNode(block, depth);
  } else if (theirs == 0) {
    int16_t candidates[kGridWidth * kGridWidth];
    const int count = collectCandidates(attacker, candidates);
    // A straight four anywhere is preferred to a plain four.
    for (int i = 0; i < count; ++i) {
      if (attackWins(attacker, candidates[i], depth, true, false)) return recordNode(candidates[i], depth);
    }
    for (int i = 0; i < count; ++i) {
      if (attackWins(attacker, candidates[i], depth, false, true)) return recordNode(candidates[i], depth);
    }
  }
  return recordNode(engine.threatComplete ? noWinProven() : noWinFound(), depth);
}

// The switches every call examines before searching: off, stopped, aborted.
bool searchSwitchedOffOrStopped() {
  if (engine.threatSearchOn.load(std::memory_order_relaxed) == 0) return true;
  if (engine.stopFlag.load(std::memory_order_relaxed) != 0) {
    engine.searchAborted.store(1, std::memory_order_relaxed);
    return true;
  }
  return engine.searchAborted.load(std::memory_order_relaxed) != 0;
}

}  // namespace

int threatSearchNode(int32_t attacker, int depth) {
  if (searchSwitchedOffOrStopped()) return noWinFound();
  if (depth <= 0) {
    // The only place the depth cuts a line: this iteration is not exhaustive.
    engine.threatComplete = 0;
    return noWinFound();
  }
  return searchNodeBody(attacker, depth);
}

int threatSearch(int32_t attacker, int depthLimit) {
  if (searchSwitchedOffOrStopped()) return noWinFound();
  const int limit = depthLimit;
  if (limit <= 0) {
    engine.threatComplete = 0;
    return noWinFound();
  }
  clearThreatStore();
  engine.threatComplete = 0;
  int result = noWinFound();
  for (int depth = 1; depth <= limit; ++depth) {
    if (depth > 1) {
      if (result < noWinProven()) return result;
      // The last iteration cut nothing off: a deeper one cannot find more.
      if (engine.threatComplete) return noWinProven();
    }
    engine.threatComplete = 1;
    clearThreatLine();
    rebuildThreatBoard();
    result = searchNodeBody(attacker, depth);
  }
  return result;
}

}  // namespace quenvik
