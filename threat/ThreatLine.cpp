#include "threat/ThreatLine.h"

namespace quenvik {

namespace {

// Insertion sort of the units at positions first, first + 2, ... in place:
// each colour's class holds at most five units.
void sortEveryOther(std::u16string& units, std::size_t first) {
  for (std::size_t i = first + 2; i < units.size(); i += 2) {
    const char16_t unit = units[i];
    std::size_t j = i;
    for (; j > first && units[j - 2] > unit; j -= 2) units[j] = units[j - 2];
    units[j] = unit;
  }
}

}  // namespace

void canonicalThreatKeyInto(const std::u16string& line, std::u16string& key) {
  key = line;
  sortEveryOther(key, 0);  // attacker moves
  sortEveryOther(key, 1);  // defender replies
}

std::u16string canonicalThreatKey(const std::u16string& line) {
  std::u16string key;
  canonicalThreatKeyInto(line, key);
  return key;
}

bool threatLookup(const std::u16string& key, uint32_t& word) {
  const auto found = engine.threatStore.find(key);
  if (found == engine.threatStore.end()) return false;
  word = found->second;
  return true;
}

void threatRecord(const std::u16string& key, uint32_t word) { engine.threatStore.insert_or_assign(key, word); }

}  // namespace quenvik
