#include "frontend/Protocol.h"

#include <algorithm>
#include <string>

#include "core/EngineState.h"
#include "frontend/CommandParse.h"
#include "frontend/GameRecord.h"
#include "frontend/LineInput.h"
#include "frontend/ProtocolOutput.h"
#include "frontend/Settings.h"
#include "think/Game.h"
#include "think/ThinkThread.h"

namespace quenvik {

namespace {

// Where the front end writes; the think thread writes there too, through the
// reporter, while the loop prints nothing.
std::FILE* out = stdout;

using Launch = void (*)(const Reporter&);

void reply(const char* text) {
  emitTo(out, "%s\n", text);
  std::fflush(out);
}

// A decision that answers on the front end's stream.
void launchDecision(Launch launch) { launch(protocolReporter(out)); }

bool gameStarted() { return engine.gameSize != 0; }

bool onBoard(int32_t x, int32_t y) { return x >= 0 && x < engine.gameSize && y >= 0 && y < engine.gameSize; }

bool inRecord(int32_t cellIndex) {
  for (int i = 0; i < engine.recordCount; ++i) {
    if (engine.recordMoves[i] == cellIndex) return true;
  }
  return false;
}

bool validBoardSize(int32_t size) { return size >= kMinBoardSize && size <= kMaxBoardSize; }

void startNewGame(int32_t size) {
  engine.recordCount = 0;
  engine.exactFive = 0;
  engine.gameSize = size;
  newGame();
}

// After the OK, so that starting the background thread never delays it.
void replyOkToNewGame() {
  reply("OK");
  startWarmingTable();
}

void handleStart(const std::string& line) {
  int32_t size = 0;
  if (!parseOneNumber(line, size)) {
    reply("ERROR Size error.");
    return;
  }
  // A refused size still ends the old game, as managers expect of START.
  engine.recordCount = 0;
  engine.exactFive = 0;
  if (!validBoardSize(size)) {
    reply("ERROR Size error.");
    return;
  }
  startNewGame(size);
  replyOkToNewGame();
}

void handleRectStart(const std::string& line) {
  int32_t width = 0, height = 0;
  if (!parseNumberPair(line, width, height) || width != height || !validBoardSize(width)) {
    reply("ERROR Size error.");
    return;
  }
  startNewGame(width);
  replyOkToNewGame();
}

void handleRestart() {
  engine.recordCount = 0;
  newGame();
  reply("OK");
}

void handleTurn(const std::string& line, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return;
  }
  int32_t x = 0, y = 0;
  if (!parseNumberPair(line, x, y) || !onBoard(x, y) || inRecord(cellIndexOf(x, y)) ||
      engine.recordCount >= kMaxRecordMoves) {
    reply("ERROR Move error.");
    return;
  }
  engine.recordMoves[engine.recordCount] = cellIndexOf(x, y);
  engine.recordCount = engine.recordCount + 1;
  launchDecision(launch);
}

void handleBegin(Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return;
  }
  launchDecision(launch);
}

enum class BlockRead { Done, InputEnded };

// Reads a BOARD or YXBOARD block up to its DONE line into the record; an
// unusable block answers "ERROR Board error." and leaves the record empty.
BlockRead readBoardBlock(std::FILE* input) {
  engine.recordCount = 0;
  BlockStone stones[kMaxBoardBlockStones];
  bool taken[kGridWidth * kGridWidth] = {};
  int count = 0;
  bool failed = false;
  std::string line;
  for (;;) {
    const LineStatus status = readProtocolLine(input, line, kMaxBlockLine);
    if (status == LineStatus::End) return BlockRead::InputEnded;
    if (status == LineStatus::TooLong) {
      failed = true;
      continue;
    }
    if (!line.empty() && (line[0] == 'D' || line[0] == 'd')) break;
    if (isBlankLine(line)) continue;
    int32_t x = 0, y = 0, owner = 0;
    if (!parseStoneLine(line, x, y, owner) || !onBoard(x, y) || taken[cellIndexOf(x, y)] ||
        count == kMaxBoardBlockStones) {
      failed = true;
      continue;
    }
    taken[cellIndexOf(x, y)] = true;
    stones[count++] = {cellIndexOf(x, y), owner == 1};
  }
  int32_t recordCount = 0;
  if (failed || !recordFromBlock(stones, count, engine.recordMoves, &recordCount)) {
    reply("ERROR Board error.");
    recordCount = 0;
  }
  engine.recordCount = recordCount;
  return BlockRead::Done;
}

// Reads the block up to its DONE line, then moves. Returns false when the
// input ends first (the block is abandoned and no decision starts).
bool handleBoard(std::FILE* input, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return true;
  }
  if (readBoardBlock(input) == BlockRead::InputEnded) return false;
  launchDecision(launch);
  return true;
}

// The same block, but it only sets the position: no decision, no move.
bool handleYxBoard(std::FILE* input) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return true;
  }
  return readBoardBlock(input) == BlockRead::Done;
}

// FORBID, then xxyy for every point forbidden to Black, then a full stop.
void handleShowForbid() {
  int32_t cells[kMaxRecordMoves];
  const int count = forbiddenPointsOfRecord(cells);
  std::string text = "FORBID ";
  char point[24];
  for (int i = 0; i < count; ++i) {
    std::snprintf(point, sizeof point, "%02d%02d", cellIndexX(cells[i]), cellIndexY(cells[i]));
    text += point;
  }
  text += '.';
  reply(text.c_str());
}

// The GUI's handshake: from now on INFO rule 2 means Renju.
void handleShowInfo() {
  engine.ruleTwoIsRenju = 1;
  reply("MESSAGE INFO MAX_THREAD_NUM 1");
  emitTo(out, "MESSAGE INFO MAX_HASH_SIZE %d\n", largestTableKiBLog2());
  std::fflush(out);
}

// Most root moves one YXNBEST reports: every cell of the largest board.
constexpr int32_t kMaxAnalysisLines = kMaxRecordMoves;

void handleNBest(const std::string& line, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return;
  }
  int32_t lines = 0;
  if (!parseOneNumber(line, lines) || lines < 1) {
    reply("ERROR YXNBEST needs a number of moves, 1 or more.");
    return;
  }
  engine.analysisLines = std::min(lines, kMaxAnalysisLines);
  launchDecision(launch);
}

void handleInfo(const std::string& line) {
  std::string key;
  int32_t value = 0;
  if (parseInfo(line, key, value)) applyInfo(key, value);
}

void handleAbout() {
  emitTo(out,
         "name=\"Quenvik\", version=\"%s\", author=\"Quenvik developers\", country=\"n/a\", email=\"n/a\", "
         "www=\"n/a\"\n",
         kEngineVersion);
  std::fflush(out);
}

void handleTakeback() {
  if (engine.recordCount == 0) {
    reply("ERROR Takeback error.");
    return;
  }
  engine.recordCount = engine.recordCount - 1;
  reply("OK");
}

}  // namespace

int runProtocolOn(std::FILE* input, std::FILE* output, Launch launch) {
  out = output;
  seedRandom(kMainThreadSeed);
  emitTo(out, "MESSAGE Quenvik %s is ready.\n", kEngineVersion);
  std::fflush(out);

  std::string line;
  for (;;) {
    const LineStatus status = readProtocolLine(input, line, kMaxCommandLine);
    if (status == LineStatus::End) break;
    if (engine.thinking.load() != 0) {
      // Only a stop reaches a running decision; everything else is dropped.
      if (status == LineStatus::Line && commandWord(line) == "YXSTOP") requestStop();
      continue;
    }
    if (status == LineStatus::TooLong) {
      reply("ERROR Line too long.");
      continue;
    }
    const std::string word = commandWord(line);
    if (word.empty()) continue;
    if (word == "START") {
      handleStart(line);
    } else if (word == "TURN") {
      handleTurn(line, launch);
    } else if (word == "BEGIN") {
      handleBegin(launch);
    } else if (word == "BOARD") {
      if (!handleBoard(input, launch)) break;
    } else if (word == "END") {
      break;
    } else if (word == "RESTART") {
      handleRestart();
    } else if (word == "INFO") {
      handleInfo(line);
    } else if (word == "ABOUT") {
      handleAbout();
    } else if (word == "TAKEBACK") {
      handleTakeback();
    } else if (word == "RECTSTART") {
      handleRectStart(line);
    } else if (word == "YXBOARD") {
      if (!handleYxBoard(input)) break;
    } else if (word == "YXSHOWFORBID") {
      handleShowForbid();
    } else if (word == "YXSHOWINFO") {
      handleShowInfo();
    } else if (word == "YXHASHCLEAR") {
      clearHashTable();
    } else if (word == "YXNBEST") {
      handleNBest(line, launch);
    }
  }
  // A decision still running finishes and prints its move before the exit.
  waitForDecisions();
  stopWarmingTable();
  return 0;
}

int runProtocol() { return runProtocolOn(stdin, stdout, startDecision); }

}  // namespace quenvik
