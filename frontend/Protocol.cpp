#include "frontend/Protocol.h"

#include <algorithm>
#include <string>

#include "core/EngineState.h"
#include "frontend/BlockInput.h"
#include "frontend/CommandParse.h"
#include "frontend/GameRecord.h"
#include "frontend/LineInput.h"
#include "frontend/ProtocolOutput.h"
#include "frontend/Settings.h"
#include "think/Game.h"
#include "think/Swap2.h"
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
  engine.rule = withoutExactFive(gameRule());
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
  engine.rule = withoutExactFive(gameRule());
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

bool readBoardStone(std::string_view line, int32_t& x, int32_t& y, bool& own) {
  int32_t owner = 0;
  if (!parseStoneLine(line, x, y, owner)) return false;
  own = owner == 1;
  return true;
}

// Reads a BOARD or YXBOARD block up to its DONE line into the record; an
// unusable block answers "ERROR Board error." and leaves the record empty.
BlockRead readBoardBlock(std::FILE* input) {
  engine.recordCount = 0;
  StoneBlock block;
  if (readStoneBlock(input, engine.gameSize, readBoardStone, block) == BlockRead::InputEnded) {
    return BlockRead::InputEnded;
  }
  int32_t recordCount = 0;
  if (block.failed || !recordFromBlock(block.stones, block.count, engine.recordMoves, &recordCount)) {
    reply("ERROR Board error.");
    recordCount = 0;
  }
  engine.recordCount = recordCount;
  return BlockRead::Done;
}

// Passes over a block's lines up to DONE, so none of them is taken for a
// command (a block refused before any game, a database command's position).
BlockRead skipBoardBlock(std::FILE* input) {
  std::string line;
  for (;;) {
    const LineStatus status = readProtocolLine(input, line, kMaxBlockLine);
    if (status == LineStatus::End) return BlockRead::InputEnded;
    if (status == LineStatus::Line && !line.empty() && (line[0] == 'D' || line[0] == 'd')) return BlockRead::Done;
  }
}

// Reads the block up to its DONE line, then moves. Returns false when the
// input ends first (the block is abandoned and no decision starts).
bool handleBoard(std::FILE* input, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return skipBoardBlock(input) == BlockRead::Done;
  }
  if (readBoardBlock(input) == BlockRead::InputEnded) return false;
  launchDecision(launch);
  return true;
}

// The same block, but it only sets the position: no decision, no move.
bool handleYxBoard(std::FILE* input) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return skipBoardBlock(input) == BlockRead::Done;
  }
  return readBoardBlock(input) == BlockRead::Done;
}

bool readSwap2Stone(std::string_view line, int32_t& x, int32_t& y, bool& own) {
  own = false;  // no owner field: the order alone tells the colours
  return parseCellLine(line, x, y);
}

// SWAP2BOARD: the opening stones so far in playing order, then the engine's
// part of the Swap2 opening. An unusable block is refused and changes
// nothing; the input ending inside the block returns false.
bool handleSwap2Board(std::FILE* input, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return skipBoardBlock(input) == BlockRead::Done;
  }
  StoneBlock block;
  if (readStoneBlock(input, engine.gameSize, readSwap2Stone, block) == BlockRead::InputEnded) return false;
  if (block.failed || !isSwap2Request(block.count)) {
    reply("ERROR SWAP2BOARD wants 0, 3 or 5 stones on distinct cells of the board.");
    return true;
  }
  for (int i = 0; i < block.count; ++i) engine.recordMoves[i] = block.stones[i].cellIndex;
  engine.recordCount = block.count;
  engine.swap2Request = 1;
  launchDecision(launch);
  return true;
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

// The board GUI turns MAX_HASH_SIZE k into a hash-size box whose values
// reach 2^(k - 10) MB less one page of 256 MB (the box's page size), and
// sends the chosen MB times 1024 as hash_size. The announced k is the
// smallest whose box reaches the largest table.
constexpr int kGuiHashBoxPageMiB = 256;

int announcedHashSizeLog2() {
  const int largestMiB = 1 << (largestTableKiBLog2() - 10);
  int k = largestTableKiBLog2();
  while ((1 << (k - 10)) - kGuiHashBoxPageMiB < largestMiB) ++k;
  return k;
}

// The GUI's handshake: from now on INFO rule 2 means Renju.
void handleShowInfo() {
  engine.ruleTwoIsRenju = 1;
  reply("MESSAGE INFO MAX_THREAD_NUM 1");
  emitTo(out, "MESSAGE INFO MAX_HASH_SIZE %d\n", announcedHashSizeLog2());
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

// The GUI's Defend button: the decision on the position set by YXBOARD,
// told to report which moves stop the opponent's forced win; the GUI waits
// for the move and plays it.
void handleSearchDefend(Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return;
  }
  engine.defendSearch = 1;
  launchDecision(launch);
}

// The GUI's balance commands: YXBALANCEONE S answers one move, YXBALANCETWO
// S a move and a reply, after which the score for the side to move is
// nearest S (0 when left out). The GUI sets the position with YXBOARD first
// and waits for the answer line.
void handleBalance(const std::string& line, const std::string& word, int stones, Launch launch) {
  if (!gameStarted()) {
    reply("ERROR No game started.");
    return;
  }
  int32_t target = 0;
  if (!parseOptionalNumber(line, target)) {
    reply((("ERROR " + word) + " wants a target score: a whole number, or nothing for 0.").c_str());
    return;
  }
  engine.balanceStones = stones;
  engine.balanceTarget = target;
  launchDecision(launch);
}

// What follows a database command's word: nothing, the position as one
// x,y line per stone up to DONE, or one line naming a file.
enum class Follows { Nothing, Position, FileName };

struct DatabaseCommand {
  const char* word;
  Follows follows;
  const char* reply;  // one or more lines
};

constexpr const char* kNoFiles = "ERROR No opening database: this engine reads and writes no files.";
constexpr const char* kNothingRecorded = "ERROR No opening database: nothing was recorded.";
constexpr const char* kNothingToDelete = "MESSAGE No opening database: nothing to delete.";

// The board GUI's opening-database commands. This engine has none, so each
// gets the answer an empty database gives, or a refusal for what would
// change or read one; the lines that belong to a command are read first.
// The GUI clears its board marks when the query of all tags ends (DONE).
constexpr DatabaseCommand kDatabaseCommands[] = {
    {"YXQUERYDATABASEALLT", Follows::Position, "MESSAGE DATABASE REFRESH\nMESSAGE DATABASE DONE"},
    {"YXQUERYDATABASEONE", Follows::Position, "MESSAGE No opening database: no entry for this position."},
    {"YXQUERYDATABASETEXT", Follows::Position, "MESSAGE DATABASE TEXT \"\""},
    {"YXDELETEDATABASEONE", Follows::Position, kNothingToDelete},
    {"YXDELETEDATABASEALL", Follows::Position, kNothingToDelete},
    {"YXEDITTEXTDATABASE", Follows::Position, kNothingRecorded},
    {"YXEDITLABELDATABASE", Follows::Position, kNothingRecorded},
    {"YXEDITTVDDATABASE", Follows::Position, kNothingRecorded},
    {"YXSETBESTMOVEDATABASE", Follows::Position, kNothingRecorded},
    {"YXCLEARBESTMOVEDATABASE", Follows::Position, kNothingRecorded},
    {"YXSAVEDATABASE", Follows::Nothing, kNoFiles},
    {"YXDBCHECK", Follows::Nothing, "MESSAGE No opening database: nothing to check."},
    {"YXDBFIX", Follows::Nothing, "MESSAGE No opening database: nothing to fix."},
    {"YXSETDATABASE", Follows::FileName, kNoFiles},
    {"YXDBMERGE", Follows::FileName, kNoFiles},
    {"YXDBSPLIT", Follows::FileName, kNoFiles},
    {"YXLIBTODB", Follows::FileName, kNoFiles},
    {"YXDBTOPOS", Follows::FileName, kNoFiles},
    {"YXDBTOTXT", Follows::FileName, kNoFiles},
    {"YXDBTOTXTALL", Follows::FileName, kNoFiles},
    {"YXTXTTODB", Follows::FileName, kNoFiles},
};

const DatabaseCommand* databaseCommand(const std::string& word) {
  for (const DatabaseCommand& command : kDatabaseCommands) {
    if (word == command.word) return &command;
  }
  return nullptr;
}

// Returns false when the input ends before the command's lines do.
bool handleDatabaseCommand(std::FILE* input, const DatabaseCommand& command) {
  if (command.follows == Follows::Position && skipBoardBlock(input) == BlockRead::InputEnded) return false;
  std::string fileName;
  if (command.follows == Follows::FileName && readProtocolLine(input, fileName, kMaxCommandLine) == LineStatus::End)
    return false;
  reply(command.reply);
  return true;
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

// The tournament protocol's answer to a command word the engine does not
// know, so a manager can fall back to a command it must support. The word is
// echoed upper-cased, with anything unprintable shown as '?'.
void replyUnknown(const std::string& word) {
  std::string shown = word;
  for (char& c : shown) {
    if (c < ' ' || c > '~') c = '?';
  }
  emitTo(out, "UNKNOWN Command %s is not known.\n", shown.c_str());
  std::fflush(out);
}

// END while a decision runs: nothing more is printed, the search stops at
// once, and the loop ends as soon as the think thread has unwound.
void endWhileThinking() {
  closeDecisionOutput();
  requestStop();
  waitForDecisions();
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
  openDecisionOutput();
  seedRandom(kMainThreadSeed);
  emitTo(out, "MESSAGE Quenvik %s is ready.\n", kEngineVersion);
  std::fflush(out);

  std::string line;
  for (;;) {
    const LineStatus status = readProtocolLine(input, line, kMaxCommandLine);
    if (status == LineStatus::End) break;
    if (engine.thinking.load() != 0) {
      // Only a stop or END reaches a running decision; everything else is
      // dropped without a reply (the manager is waiting for the move).
      const std::string word = status == LineStatus::Line ? commandWord(line) : std::string();
      if (word == "YXSTOP") requestStop();
      if (word == "END") {
        endWhileThinking();
        break;
      }
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
    } else if (word == "SWAP2BOARD") {
      if (!handleSwap2Board(input, launch)) break;
    } else if (word == "YXSEARCHDEFEND") {
      handleSearchDefend(launch);
    } else if (word == "YXBALANCEONE" || word == "YXBALANCETWO") {
      handleBalance(line, word, word == "YXBALANCEONE" ? 1 : 2, launch);
    } else if (const DatabaseCommand* command = databaseCommand(word)) {
      if (!handleDatabaseCommand(input, *command)) break;
    } else if (word != "YXSTOP") {  // a stop with nothing running is simply late
      replyUnknown(word);
    }
  }
  // A decision still running finishes and prints its move before the exit.
  waitForDecisions();
  stopWarmingTable();
  return 0;
}

int runProtocol() { return runProtocolOn(stdin, stdout, startDecision); }

}  // namespace quenvik
