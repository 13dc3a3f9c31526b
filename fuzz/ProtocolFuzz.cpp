// Fuzz target: the protocol front end fed an arbitrary byte stream.
//
// Every request to move is decided synchronously on a search stack, with the
// effort capped so that one input stays cheap. After each decision the
// answer is checked the way a manager would check it, and at the end of the
// input the whole output is checked line by line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/EngineState.h"
#include "frontend/Protocol.h"
#include "think/ThinkThread.h"

namespace {

using namespace quenvik;

// A turn limit of 110 ms leaves a budget of at most 10 ms; 100 leaves none,
// so the timer stops the decision at its first check.
constexpr int32_t kCappedTurnTimeout = 110;
constexpr int32_t kInstantTurnTimeout = 100;
constexpr int32_t kCappedNodeLimit = 1000;
// Decisions of one input that may use the capped effort; later ones stop at
// once, so an input full of TURN lines cannot take seconds.
constexpr int kEffortfulDecisions = 8;

int decisionsThisInput = 0;
int movesAnswered = 0;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_protocol: %s\n", what);
  std::abort();
}

bool inRecordBefore(int32_t cellIndex, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (engine.recordMoves[i] == cellIndex) return true;
  }
  return false;
}

// Every stone an answer added lies on an empty cell of the board.
void checkNewStones(int32_t recordBefore) {
  const int32_t size = engine.gameSize;
  for (int32_t i = recordBefore; i < engine.recordCount; ++i) {
    const int32_t move = engine.recordMoves[i];
    const int x = cellIndexX(move), y = cellIndexY(move);
    if (move < 0 || x >= size || y >= size) fail("the answer lies off the board");
    if (inRecordBefore(move, i)) fail("the answer lies on an occupied cell");
  }
}

// The engine answers with one new stone on an empty cell of the board, or
// with no move only when the board is full.
void checkAnswer(int32_t recordBefore) {
  const int32_t size = engine.gameSize;
  if (engine.recordCount == recordBefore) {
    if (recordBefore != size * size) fail("no move answered although the board has an empty cell");
    return;
  }
  if (engine.recordCount != recordBefore + 1) fail("a decision added more than one move to the record");
  checkNewStones(recordBefore);
  ++movesAnswered;
}

// A Swap2 answer places three stones on an empty block, none (SWAP), one or
// two after three, none or one after five.
void checkSwap2Answer(int32_t recordBefore) {
  const int32_t placed = engine.recordCount - recordBefore;
  const int32_t most = recordBefore == 0 ? 3 : recordBefore == 3 ? 2 : 1;
  const int32_t fewest = recordBefore == 0 ? 3 : 0;
  if (placed < fewest || placed > most) fail("a Swap2 answer placed a wrong number of stones");
  checkNewStones(recordBefore);
  ++movesAnswered;
}

// A balance answer places as many stones as asked, or one when no reply is
// possible (one cell left), or none on a full board.
void checkBalanceAnswer(int32_t recordBefore, int32_t stones) {
  const int32_t placed = engine.recordCount - recordBefore;
  const int32_t emptyCells = engine.gameSize * engine.gameSize - recordBefore;
  if (placed > stones || placed > emptyCells) fail("a balance answer placed too many stones");
  if (placed == 0 && emptyCells > 0 && !renju()) fail("no balance answer although the board has an empty cell");
  checkNewStones(recordBefore);
  if (placed > 0) ++movesAnswered;
}

void cappedDecision(const Reporter& reporter) {
  const int32_t turnTimeout = engine.turnTimeout.load();
  const int32_t nodeLimit = engine.nodeLimit.load();
  const int32_t cap = decisionsThisInput < kEffortfulDecisions ? kCappedTurnTimeout : kInstantTurnTimeout;
  ++decisionsThisInput;
  // Values the manager sent below the caps are kept: they are what the
  // budget arithmetic has to survive.
  engine.turnTimeout = std::min(turnTimeout, cap);
  if (nodeLimit <= 0 || nodeLimit > kCappedNodeLimit) engine.nodeLimit = kCappedNodeLimit;
  const int32_t recordBefore = engine.recordCount;
  const bool swap2 = engine.swap2Request != 0;
  const int32_t balanceStones = engine.balanceStones;
  decideHere(reporter);
  engine.turnTimeout = turnTimeout;
  engine.nodeLimit = nodeLimit;
  if (swap2) {
    checkSwap2Answer(recordBefore);
  } else if (balanceStones > 0) {
    checkBalanceAnswer(recordBefore, balanceStones);
  } else {
    checkAnswer(recordBefore);
  }
}

void resetForInput() {
  resetSettings();
  resetRecord();
  resetThinkControl();
  decisionsThisInput = 0;
  movesAnswered = 0;
}

bool isMoveLine(std::string_view line) {
  const auto comma = line.find(',');
  if (comma == std::string_view::npos || comma == 0 || comma + 1 == line.size()) return false;
  auto digits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(line.substr(0, comma)) && digits(line.substr(comma + 1));
}

// SWAP, or moves separated by single blanks.
bool isSwap2AnswerLine(std::string_view line) {
  if (line == "SWAP") return true;
  for (;;) {
    const auto blank = line.find(' ');
    if (!isMoveLine(line.substr(0, blank))) return false;
    if (blank == std::string_view::npos) return true;
    line.remove_prefix(blank + 1);
  }
}

bool startsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// Every line is a reply of a known form, and there are exactly as many move
// (or Swap2 answer) lines as answered decisions.
void checkOutput(std::string_view output) {
  if (!output.empty() && output.back() != '\n') fail("the output ends inside a line");
  int moveLines = 0;
  while (!output.empty()) {
    const auto end = output.find('\n');
    const std::string_view line = output.substr(0, end);
    output.remove_prefix(end + 1);
    if (isMoveLine(line) || isSwap2AnswerLine(line)) {
      ++moveLines;
    } else if (startsWith(line, "FORBID ")) {
      if (line.back() != '.' || (line.size() - 8) % 4 != 0) fail("a FORBID line of unknown form");
    } else if (!startsWith(line, "MESSAGE ") && line != "OK" && !startsWith(line, "ERROR ") &&
               !startsWith(line, "UNKNOWN ") && !startsWith(line, "INFO ") && !startsWith(line, "name=\"Quenvik\"")) {
      fail("an output line of unknown form");
    }
  }
  if (moveLines != movesAnswered) fail("move lines and answered decisions differ in number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "r");
  char* outputBuffer = nullptr;
  size_t outputSize = 0;
  std::FILE* output = open_memstream(&outputBuffer, &outputSize);
  if (input == nullptr || output == nullptr) fail("cannot open the in-memory streams");
  resetForInput();
  if (runProtocolOn(input, output, cappedDecision) != 0) fail("the loop returned a non-zero status");
  std::fclose(input);
  std::fclose(output);
  checkOutput(std::string_view(outputBuffer, outputSize));
  std::free(outputBuffer);
  return 0;
}
