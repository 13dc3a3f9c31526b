// The line of moves played since the threat search's root, its
// order-independent key, and the store of results under those keys.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>

#include "core/EngineState.h"

namespace quenvik {

// Longest line: an attacker move and its forced block per level of depth 5.
constexpr int kMaxThreatLine = 10;

// A move's unit in threatLine: MoveNumber + N, so never 0.
inline char16_t threatUnitOf(int move) { return static_cast<char16_t>(move + engine.boardSize); }

inline void appendThreatMove(int move) {
  assert(engine.threatLine.size() < kMaxThreatLine);
  engine.threatLine.push_back(threatUnitOf(move));
}
inline void removeLastThreatExchange() { engine.threatLine.resize(engine.threatLine.size() - 2); }
inline void clearThreatLine() { engine.threatLine.clear(); }

// Writes into key the canonical form of line: attacker units (even
// positions) sorted among themselves, defender units (odd positions) too.
// key keeps its capacity, so a reused key never allocates.
void canonicalThreatKeyInto(const std::u16string& line, std::u16string& key);

// The canonical key as a new string.
std::u16string canonicalThreatKey(const std::u16string& line);

// The stored word under key, or false when absent.
bool threatLookup(const std::u16string& key, uint32_t& word);

// Inserts the word, or replaces the one already under key.
void threatRecord(const std::u16string& key, uint32_t word);

inline void clearThreatStore() { engine.threatStore.clear(); }

}  // namespace quenvik
