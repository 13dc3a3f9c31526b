// The generated pattern table against a separate, slow statement of its rules,
// and classifyLine against the same statement on real padded lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "core/EngineState.h"
#include "rules/LineReading.h"
#include "rules/PatternTable.h"
#include "rules/Patterns.h"

namespace quenvik {
namespace {

// A segment as text: 'X' the stone, 'x' an own stone, '.' an empty cell; the
// cells beyond either end are blocked, by an opponent's stone ('o') or the
// edge ('#') where the text says, else by whatever the reading does not tell
// apart.
struct Entry {
  int patternClass;
  int count;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) { return out << e.patternClass << "/" << e.count; }

class BruteForce {
 public:
  explicit BruteForce(int half) : half_(half) {}

  Entry classify(const std::string& s) {
    if (auto found = memo_.find(s); found != memo_.end()) return found->second;
    const Entry e = compute(s);
    memo_[s] = e;
    return e;
  }

  // Rule 8 is the only way to OneOpen that no richer TwoOpen explains.
  bool oneOpenByWindowRule(const std::string& s) {
    if (classify(s).patternClass != OneOpen) return false;
    for (std::size_t e = 0; e < s.size(); ++e) {
      if (s[e] != '.') continue;
      const int c = classify(withStone(s, e)).patternClass;
      if (c == TwoOpenA || c == TwoOpenB || c == TwoOpenC) return false;
    }
    return true;
  }

  static std::string withStone(const std::string& s, std::size_t e) {
    std::string t = s;
    t[e] = 'x';
    return t;
  }

 private:
  Entry compute(const std::string& s) {
    const auto x = static_cast<int>(s.find('X'));
    const bool leftWall = s.front() == 'o' || s.front() == '#';
    const bool rightWall = s.back() == 'o' || s.back() == '#';
    const int begin = leftWall ? 1 : 0;
    const int end = static_cast<int>(s.size()) - (rightWall ? 1 : 0);
    int first = x, last = x;
    while (first > begin && s[first - 1] == 'x') --first;
    while (last + 1 < end && s[last + 1] == 'x') ++last;
    const int run = last - first + 1;
    // Under Caro a row of exactly five between two opponent stones is none.
    const bool flanked =
        first > 0 && s[first - 1] == 'o' && last + 1 < static_cast<int>(s.size()) && s[last + 1] == 'o';
    const bool overlinesWin = half_ == kFreeHalf || half_ == kCaroHalf;
    if (run > 5) return overlinesWin ? Entry{Five, 1} : Entry{Overline, 1};
    if (run == 5 && !(half_ >= kCaroHalf && flanked)) return {Five, 1};

    std::vector<std::pair<int, int>> richer;  // (cell, class of the segment with a stone there)
    for (std::size_t e = 0; e < s.size(); ++e) {
      if (s[e] == '.') richer.push_back({static_cast<int>(e), classify(withStone(s, e)).patternClass});
    }
    auto cellsOf = [&](int c) {
      std::vector<int> cells;
      for (auto [cell, cls] : richer)
        if (cls == c) cells.push_back(cell);
      return cells;
    };
    auto apart = [](const std::vector<int>& cells, int distance) {
      for (int p : cells)
        for (int q : cells)
          if (q - p == distance) return true;
      return false;
    };
    auto any = [&](std::initializer_list<int> classes) {
      for (int c : classes)
        if (!cellsOf(c).empty()) return true;
      return false;
    };

    if (auto f = cellsOf(Five); !f.empty()) {
      return apart(f, 5) ? Entry{FourOpen, 1} : Entry{Four, static_cast<int>(f.size())};
    }
    if (auto t = cellsOf(FourOpen); !t.empty()) return {apart(t, 4) ? ThreeOpenDouble : ThreeOpenSingle, 1};
    if (any({Four})) return {ThreeClosed, 1};
    if (any({ThreeOpenSingle, ThreeOpenDouble})) {
      const auto k = cellsOf(ThreeOpenDouble).size();
      return {k == 0 ? TwoOpenA : k == 1 ? TwoOpenB : TwoOpenC, 1};
    }
    if (any({ThreeClosed})) return {TwoClosed, 1};
    if (any({TwoOpenA, TwoOpenB, TwoOpenC})) return {OneOpen, 1};
    if (any({TwoClosed})) {
      int windows = 0;
      for (int start = begin; start + 5 <= end; ++start) windows += start <= x && x < start + 5;
      return {windows >= 3 ? OneOpen : OneClosed, 1};
    }
    return {Dead, 0};
  }

  int half_;
  std::map<std::string, Entry> memo_;
};

// Every segment: leftLen and rightLen 0..5, every choice of own and empty.
std::vector<std::string> allSegments() {
  std::vector<std::string> segments;
  for (int l = 0; l <= 5; ++l) {
    for (int r = 0; r <= 5; ++r) {
      for (int bits = 0; bits < (1 << (l + r)); ++bits) {
        std::string s;
        for (int i = 0; i < l + r; ++i) s += (bits >> i) & 1 ? 'x' : '.';
        s.insert(s.begin() + l, 'X');
        segments.push_back(s);
      }
    }
  }
  return segments;
}

// The same with every blocker named: an opponent's stone or the edge on each
// side shorter than five cells.
std::vector<std::string> allWalledSegments() {
  std::vector<std::string> walled;
  for (const auto& s : allSegments()) {
    const auto l = s.find('X');
    const auto r = s.size() - l - 1;
    for (const char left : {'o', '#'}) {
      for (const char right : {'o', '#'}) {
        std::string t = s;
        if (l < 5) t.insert(t.begin(), left);
        if (r < 5) t.push_back(right);
        if ((l == 5 && left == '#') || (r == 5 && right == '#')) continue;  // no blocker to name
        walled.push_back(t);
      }
    }
  }
  return walled;
}

// The table's index of a segment: leftmost cell the most significant bit.
int indexOf(const std::string& s) {
  const auto l = static_cast<int>(s.find('X'));
  const int r = static_cast<int>(s.size()) - l - 1;
  int w = 0;
  for (char c : s) {
    if (c != 'X') w = w << 1 | (c == 'x');
  }
  return ((1 << r) + 62) * (1 << l) + w - 63;
}

// The line table index of a segment under a half, blockers included.
int tableIndexOf(int half, const std::string& s) {
  const bool leftWall = s.front() == 'o' || s.front() == '#';
  const bool rightWall = s.back() == 'o' || s.back() == '#';
  const std::string inner = s.substr(leftWall ? 1 : 0, s.size() - leftWall - rightWall);
  const int block = seesEdge(half) ? 2 * (s.front() == '#') + (s.back() == '#') : 0;
  return kLineHalfBase[half] + block * kPatternHalfSize + indexOf(inner);
}

// Every segment a half tells apart: the Caro halves also by their blockers.
std::vector<std::string> segmentsOf(int half) { return seesEdge(half) ? allWalledSegments() : allSegments(); }

Entry tableEntry(int half, const std::string& s) {
  const int32_t code = linePatternCode(tableIndexOf(half, s));
  return {patternClassOf(code), patternCountOf(code)};
}

// "|..X...xx": a bar marks a blocked end; the bars carry no cells.
std::string segmentOf(std::string notation) {
  std::erase(notation, '|');
  return notation;
}

TEST(PatternTable, EveryIndexBelongsToExactlyOneSegment) {
  std::set<int> seen;
  for (const auto& s : allSegments()) {
    const int index = indexOf(s);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, kPatternHalfSize);
    ASSERT_TRUE(seen.insert(index).second) << s;
  }
  EXPECT_EQ(static_cast<int>(seen.size()), kPatternHalfSize);
}

TEST(PatternTable, EveryHalfFollowsTheRulesOnEverySegment) {
  for (int half = 0; half < kLineHalves; ++half) {
    BruteForce rules(half);
    for (const auto& s : segmentsOf(half))
      ASSERT_EQ(tableEntry(half, s), rules.classify(s)) << "half " << half << " " << s;
  }
}

TEST(PatternTable, ElevenExactSegmentsAndNoFreeOneAreOpenOnlyByTheWindowCount) {
  const std::set<std::string> expected = {
      segmentOf("|..X...xx"),   segmentOf("|...X..xxx"),  segmentOf("|....X.xxxx"), segmentOf("xx...X..|"),
      segmentOf("xxx..X...|"),  segmentOf("xxxx.X....|"), segmentOf(".....X.xxxx"), segmentOf("xxxx.X....."),
      segmentOf("x....X..xxx"), segmentOf("xxx..X....x"), segmentOf("xx...X...xx"),
  };
  ASSERT_EQ(expected.size(), 11u);
  BruteForce exactRules(kExactHalf);
  BruteForce freeRules(kFreeHalf);
  std::set<std::string> exactFound;
  for (const auto& s : allSegments()) {
    if (exactRules.oneOpenByWindowRule(s)) exactFound.insert(s);
    EXPECT_FALSE(freeRules.oneOpenByWindowRule(s)) << s;
  }
  EXPECT_EQ(exactFound, expected);
  for (const auto& s : expected) EXPECT_EQ(tableEntry(kExactHalf, s), (Entry{OneOpen, 1})) << s;
}

TEST(PatternTable, OrientationEntries) {
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|X....|")), (Entry{OneClosed, 1}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|.X.xx.|")), (Entry{ThreeOpenSingle, 1}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|..Xxx..|")), (Entry{ThreeOpenDouble, 1}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|x.Xxx.x|")), (Entry{Four, 2}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|x.Xxxx.|")), (Entry{FourOpen, 1}));
  // In the exact half the left completion of the last one makes six.
  EXPECT_EQ(tableEntry(kExactHalf, segmentOf("|x.Xxxx.|")), (Entry{Four, 1}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("|Xxx.|")), (Entry{Dead, 0}));
  EXPECT_EQ(tableEntry(kExactHalf, segmentOf("xXxxxx")), (Entry{Overline, 1}));
  EXPECT_EQ(tableEntry(kFreeHalf, segmentOf("xXxxxx")), (Entry{Five, 1}));
}

TEST(PatternTable, MirrorImagesShareTheirEntry) {
  for (int half = 0; half < kLineHalves; ++half) {
    for (const auto& s : segmentsOf(half)) {
      const std::string mirror(s.rbegin(), s.rend());
      ASSERT_EQ(tableEntry(half, s), tableEntry(half, mirror)) << s;
    }
  }
}

// The cells a line table entry names, as indices into the segment's text.
std::vector<int> namedCells(LineCells cells, const std::string& s) {
  std::vector<int> named;
  for (int i = 0; i < cells.count(); ++i) named.push_back(static_cast<int>(s.find('X')) + cells.offset(i));
  return named;
}

// The empty cells of s where one more stone gives the stone this class.
std::vector<int> cellsMaking(BruteForce& rules, const std::string& s, int patternClass) {
  std::vector<int> cells;
  for (std::size_t e = 0; e < s.size(); ++e) {
    if (s[e] == '.' && rules.classify(BruteForce::withStone(s, e)).patternClass == patternClass) {
      cells.push_back(static_cast<int>(e));
    }
  }
  return cells;
}

// The run of own stones through the stone once a stone stands on e.
int runThrough(std::string s, int e) {
  s[static_cast<std::size_t>(e)] = 'x';
  const auto x = s.find('X');
  std::size_t first = x, last = x;
  while (first > 0 && s[first - 1] == 'x') --first;
  while (last + 1 < s.size() && s[last + 1] == 'x') ++last;
  return static_cast<int>(last - first + 1);
}

bool contains(const std::vector<int>& cells, int cell) {
  return std::find(cells.begin(), cells.end(), cell) != cells.end();
}

// Every named five point makes a five, and every five is named, except that
// where six or more wins a gap whose filling makes six or more is named alone.
// Two points come right first, but an exact straight four names its left end
// first.
TEST(LineTable, FivePointsAreTheFivesOfTheStone) {
  for (int half = 0; half < kLineHalves; ++half) {
    BruteForce rules(half);
    for (const auto& s : segmentsOf(half)) {
      const int patternClass = rules.classify(s).patternClass;
      if (patternClass >= Five) continue;  // already a five: nothing to complete
      const std::vector<int> named = namedCells(lineTable.fivePoints[tableIndexOf(half, s)], s);
      const std::vector<int> fives = cellsMaking(rules, s, Five);
      for (int cell : named) ASSERT_TRUE(contains(fives, cell)) << s << " half " << half;
      if (named.size() != fives.size()) {
        ASSERT_TRUE(overlinesWin(half) && named.size() == 1 && runThrough(s, named[0]) > 5) << s << " half " << half;
      }
      if (named.size() == 2) {
        const bool leftFirst = named[0] < named[1];
        ASSERT_EQ(leftFirst, !overlinesWin(half) && patternClass == FourOpen) << s << " half " << half;
      }
    }
  }
}

// The straight-four cells of a three are every cell where one more stone
// makes a straight four, the right one first; a four has none.
TEST(LineTable, StraightFourCellsAreTheThreesStraightFourMoves) {
  for (int half = 0; half < kLineHalves; ++half) {
    BruteForce rules(half);
    for (const auto& s : segmentsOf(half)) {
      std::vector<int> expected;
      if (rules.classify(s).patternClass < Four) expected = cellsMaking(rules, s, FourOpen);
      std::reverse(expected.begin(), expected.end());
      ASSERT_EQ(namedCells(lineTable.straightFourCells[tableIndexOf(half, s)], s), expected) << s << " half " << half;
    }
  }
}

// An open three's defence names every cell that, taken by the opponent,
// leaves the stone no straight-four move: two cells when it is open at both
// ends, three otherwise. Nothing weaker than a three has a defence.
TEST(LineTable, ThreeDefenceCoversEveryCellThatStopsTheThree) {
  for (int half = 0; half < kLineHalves; ++half) {
    BruteForce rules(half);
    for (const auto& s : segmentsOf(half)) {
      const int patternClass = rules.classify(s).patternClass;
      const std::vector<int> named = namedCells(lineTable.threeDefence[tableIndexOf(half, s)], s);
      if (patternClass < ThreeOpenSingle) {
        ASSERT_TRUE(named.empty()) << s;
        continue;
      }
      if (patternClass > ThreeOpenDouble) continue;
      ASSERT_EQ(named.size(), patternClass == ThreeOpenDouble ? 2u : 3u) << s << " half " << half;
      const auto x = static_cast<int>(s.find('X'));
      for (int e = 0; e < static_cast<int>(s.size()); ++e) {
        if (s[static_cast<std::size_t>(e)] != '.') continue;
        // The opponent's stone on e ends the segment there.
        std::string cut = s;
        cut[static_cast<std::size_t>(e)] = 'o';
        cut = e < x ? cut.substr(static_cast<std::size_t>(e)) : cut.substr(0, static_cast<std::size_t>(e) + 1);
        const bool stops = cellsMaking(rules, cut, FourOpen).empty();
        ASSERT_TRUE(!stops || contains(named, e)) << s << " cell " << e;
      }
    }
  }
}

// Writes segment s into a padded line between blockers (stones of the other
// colour, or the edges of a line just long enough), with random stones and
// empty cells outside the segment; the board size becomes the line's length.
// Returns the stone's position.
int writeSegment(int32_t* line, const std::string& s, int32_t colour, bool edgesBlock, std::mt19937& random) {
  const auto l = static_cast<int>(s.find('X'));
  const int r = static_cast<int>(s.size()) - l - 1;
  constexpr int kJunk = 2;  // cells beyond a blocker or beyond five
  int p, n;
  if (edgesBlock) {
    p = l < 5 ? l : l + kJunk;
    n = r < 5 ? p + r + 1 : p + r + 1 + kJunk;
  } else {
    p = l + 1 + kJunk;
    n = p + r + 2 + kJunk;
  }
  for (int q = 0; q < n; ++q) line[q + 2] = std::uniform_int_distribution<int>(0, 2)(random) == 0 ? colour : kEmpty;
  line[0] = line[1] = line[n + 2] = line[n + 3] = kOffBoard;
  engine.boardSize = n;
  if (!edgesBlock && l < 5) line[p - l - 1 + 2] = -colour;
  if (!edgesBlock && r < 5) line[p + r + 1 + 2] = -colour;
  for (int i = 0; i < static_cast<int>(s.size()); ++i) line[p - l + i + 2] = s[i] == '.' ? kEmpty : colour;
  return p;
}

// The segment with its blockers named: the edge, or an opponent's stone.
std::string walledAs(const std::string& s, bool edgesBlock) {
  const char wall = edgesBlock ? '#' : 'o';
  const auto l = s.find('X');
  std::string walled = s;
  if (s.size() - l - 1 < 5) walled.push_back(wall);
  if (l < 5) walled.insert(walled.begin(), wall);
  return walled;
}

TEST(ClassifyLine, ReadsEverySegmentOfEitherColourUnderEachRule) {
  std::mt19937 random(20240611);
  for (const Rule rule : kAllRules) {
    engine.rule = rule;
    for (const int32_t colour : {kBlack, kWhite}) {
      BruteForce rules(lineHalfFor(rule, colour));
      for (const auto& s : allSegments()) {
        for (const bool edgesBlock : {false, true}) {
          int32_t line[kPaddedLineLength];
          const int p = writeSegment(line, s, colour, edgesBlock, random);
          const int32_t code = classifyLine(line, p);
          ASSERT_EQ((Entry{patternClassOf(code), patternCountOf(code)}), rules.classify(walledAs(s, edgesBlock)))
              << s << " colour " << colour << " rule " << ruleName(rule) << " edges " << edgesBlock;
        }
      }
    }
  }
  engine.rule = Rule::Freestyle;
}

}  // namespace
}  // namespace quenvik
