// The stress referee: two engines play many short games against each other
// while the referee sends what managers, GUIs and people send: random board
// sizes, rules and time settings, stops at random instants, takebacks,
// restarts, BOARD and YXBOARD resumptions, N-best analyses, Swap2 openings,
// memory caps and junk. It checks that every request is
// answered by exactly one legal move line in time (on the board, on an
// empty cell, and for Black under Renju not on a forbidden point while an
// allowed one is left), every SWAP2BOARD by an answer of the protocol's form
// on empty cells in time, that END ends the engine with status 0, and that no
// engine crashes or hangs. A game ends with a five as the mover was told the
// rule: under Caro, exactly five between two opponent stones plays on (some
// openings force one).
//
//   quenvik_stress [--games N] [--seed S] [--only-game K] [--margin-ms M]
//                  [--hang-ms H] [--max-plies P] [--engine PATH] [--engine-a PATH]
//                  [--verbose] [--transcript]
//
// Every game draws its commands from its own seed, derived from the run's
// seed and the game's number; a failure prints both and the lines exchanged,
// and --seed S --only-game K plays that game again.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "stress/RenjuJudge.h"
#include "stress/StressModel.h"
#include "support/Process.h"

namespace quenvik::stress {
namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int games = 200;
  uint64_t seed = 0;
  int onlyGame = -1;
  int marginMs = 200;  // a reply may come this much after the budget
  int hangMs = 20000;  // silence beyond the deadline that counts as a hang
  int maxPlies = 24;
  std::string engine = QUENVIK_ENGINE_PATH;
  std::string engineA;      // the first engine only, e.g. a valgrind wrapper
  bool verbose = false;     // one line per game
  bool transcript = false;  // every line of every game
};

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Stats {
  int games = 0;
  int requests = 0;
  int stops = 0;
  int boardBlocks = 0;
  int nbestRequests = 0;
  int refusedBlocks = 0;
  int swap2Openings = 0;
  int swap2Answers = 0;
  int refusedSwap2Blocks = 0;
  int64_t latestSwap2OverBudgetMs = INT64_MIN;
  int takebacks = 0;
  int restarts = 0;
  int junkLines = 0;
  int settingChanges = 0;
  int endsWhileThinking = 0;
  int flankedFivesPlayedOn = 0;  // under Caro: exactly five between two opponent stones
  int64_t latestOverBudgetMs = INT64_MIN;
};

struct Player {
  std::string name;
  std::unique_ptr<test::EngineProcess> process;
  std::vector<int> record;  // what the engine holds, in its own order
  TimeSettings settings;
  RuleFlags rules;
  bool exited = false;  // ended by END while it thought, and reaped
};

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The stones of a record, Black on its even entries: what an engine sees,
// whatever order it holds them in.
std::vector<int> stonesOf(const std::vector<int>& record, std::size_t count) {
  std::vector<int> colours(kGridWidth * kGridWidth, 0);
  for (std::size_t i = 0; i < count && i < record.size(); ++i)
    colours[static_cast<std::size_t>(record[i])] = i % 2 == 0 ? 1 : -1;
  return colours;
}

bool samePosition(const std::vector<int>& record, const std::vector<int>& order, std::size_t orderCount) {
  return record.size() == orderCount && stonesOf(record, record.size()) == stonesOf(order, orderCount);
}

// Every stone of the record stands in the game with its colour.
bool withinGame(const std::vector<int>& record, const std::vector<int>& order) {
  const std::vector<int> game = stonesOf(order, order.size());
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (game[static_cast<std::size_t>(record[i])] != (i % 2 == 0 ? 1 : -1)) return false;
  }
  return true;
}

// One game between two fresh engines.
struct Match {
  const Options& options;
  Stats& stats;
  Rng rng;
  Game game;
  Player players[2];
  int blackPlayer = 0;
  int pliesLeft = 0;
  Clock::time_point begun = Clock::now();
  std::vector<std::string> transcript;

  Match(const Options& o, Stats& s, uint64_t seed) : options(o), stats(s), rng{seed} {}

  long long msSinceStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begun).count();
  }

  void note(const Player& player, const char* direction, const std::string& line) {
    std::string entry = std::to_string(msSinceStart());
    entry.append(" ms ").append(player.name).append(direction).append(line);
    transcript.push_back(std::move(entry));
  }

  void send(Player& player, const std::string& line) {
    note(player, "> ", line);
    // Some managers end lines with CR LF.
    player.process->sendRaw(line + (rng.chance(10) ? "\r\n" : "\n"));
  }

  std::optional<std::string> receive(Player& player, int timeoutMs) {
    auto line = player.process->readLine(timeoutMs);
    if (line) note(player, "< ", *line);
    return line;
  }

  // Why an engine said nothing: it ended (crash or exit) or it hangs.
  [[noreturn]] void silent(Player& player, const std::string& what, int waitedMs) {
    const int status = player.process->waitExit(500);
    if (status < 0) {
      throw Failure(player.name + ": no line within " + std::to_string(waitedMs) + " ms " + what +
                    " and the engine still runs (hang; killed)");
    }
    throw Failure(player.name + ": output ended " + what + "; the engine exited with status " + std::to_string(status) +
                  (status > 128 ? " (signal " + std::to_string(status - 128) + ")" : ""));
  }

  std::string expectLine(Player& player, const std::string& what) {
    auto line = receive(player, options.hangMs);
    if (!line) silent(player, what, options.hangMs);
    return *line;
  }

  void expectReply(Player& player, const std::string& expected, const std::string& after) {
    const std::string line = expectLine(player, "after " + after);
    if (line != expected)
      throw Failure(player.name + ": '" + line + "' after " + after + ", expected '" + expected + "'");
  }

  // What an engine answers to junk: a refusal, or UNKNOWN for a word it
  // does not know.
  static bool junkReply(const std::string& line) { return startsWith(line, "ERROR ") || startsWith(line, "UNKNOWN "); }

  // ABOUT as a sentinel: everything before it must have been silent, or
  // replies to junk when junk was sent. A second move line would show here.
  void expectQuiet(Player& player, bool errorsAllowed) {
    send(player, "ABOUT");
    for (;;) {
      const std::string line = expectLine(player, "before the ABOUT reply");
      if (startsWith(line, "name=\"Quenvik\"")) return;
      if (errorsAllowed && junkReply(line)) continue;
      throw Failure(player.name + ": unexpected line '" + line + "' from an idle engine");
    }
  }

  void launch() {
    const std::string paths[2] = {options.engineA.empty() ? options.engine : options.engineA, options.engine};
    for (int i = 0; i < 2; ++i) {
      players[i].name = std::string(1, static_cast<char>('A' + i));
      players[i].process = std::make_unique<test::EngineProcess>(paths[i]);
      const std::string ready = expectLine(players[i], "at start-up");
      if (!startsWith(ready, "MESSAGE Quenvik ") || ready.find("is ready.") == std::string::npos) {
        throw Failure(players[i].name + ": '" + ready + "' instead of the ready line");
      }
    }
  }

  // ---------------------------------------------------------------------
  // Settings and new games
  // ---------------------------------------------------------------------

  void sendInfo(Player& player, const std::string& key, int64_t value) {
    send(player, infoLine(key, value));
    applyInfo(player.settings, player.rules, key, value);
  }

  void randomSettings(Player& player) {
    sendInfo(player, "timeout_turn", rng.chance(5) ? 0 : rng.uniform(1, 300));
    if (rng.chance(50)) {
      const int pick = rng.uniform(0, 2);
      sendInfo(player, "timeout_match", pick == 0 ? 0 : pick == 1 ? rng.uniform(1000, 10000000) : INT_MAX);
    }
    if (rng.chance(60)) {
      const int pick = rng.uniform(0, 9);
      sendInfo(player, "time_left", pick < 2 ? 0 : pick == 2 ? INT_MAX : pick == 3 ? -5 : rng.uniform(1, 10000000));
    }
    if (rng.chance(50)) sendInfo(player, "max_node", rng.chance(10) ? -1 : rng.uniform(1, 30000));
    static const int kRules[] = {0, 1, 4, 8, 9, 0, 1, 4, 8, 9, 2, 5, 6, 7, 10, 12, 13};
    sendInfo(player, "rule", kRules[rng.uniform(0, static_cast<int>(std::size(kRules)) - 1)]);
    static const int kStatic[] = {1, 0, 1, 0, -1, 3, 2};
    if (rng.chance(70)) sendInfo(player, "static", kStatic[rng.uniform(0, 6)]);
    if (rng.chance(30)) sendInfo(player, "compute_vcf", rng.chance(50) ? 0 : 1);
    static const int kMemoryCaps[] = {0, 83886080, 64000000, 33554432, 367001600};
    if (rng.chance(20)) sendInfo(player, "max_memory", kMemoryCaps[rng.uniform(0, 4)]);
    if (rng.chance(10)) sendInfo(player, "hash_size", rng.chance(50) ? 0 : rng.uniform(1, 300000));
    if (rng.chance(10)) sendInfo(player, "max_depth", rng.uniform(-1, 6));
    if (rng.chance(10)) sendInfo(player, "show_detail", rng.uniform(0, 3));
    if (rng.chance(10)) send(player, "INFO folder /tmp/quenvik stress");
    if (rng.chance(10)) sendInfo(player, "game_type", 1);
  }

  void clearRecords() {
    for (Player& player : players) player.record.clear();
    game.order.clear();
  }

  void newGame(bool firstOne) {
    const int size = rng.uniform(5, 20);
    const int kind = firstOne ? rng.uniform(0, 1) : rng.uniform(0, 2);
    for (Player& player : players) {
      if (rng.chance(10)) {  // a refused size first
        send(player, rng.chance(50) ? "START " + std::to_string(rng.chance(50) ? 4 : 21)
                                    : "RECTSTART " + std::to_string(size) + "," + std::to_string(size + 1));
        expectReply(player, "ERROR Size error.", "a refused size");
      }
      const bool lowerCase = rng.chance(20);
      const std::string command =
          kind == 0   ? (lowerCase ? "start " : "START ") + std::to_string(size)
          : kind == 1 ? (lowerCase ? "rectstart " : "RECTSTART ") + std::to_string(size) + "," + std::to_string(size)
                      : (lowerCase ? "restart" : "RESTART");
      send(player, command);
      expectReply(player, "OK", "a new game");
      if (kind != 2) player.rules.exactFive = false;
      // START and RECTSTART clear exact five; the rule is sent again.
      randomSettings(player);
    }
    if (kind != 2) game.size = size;  // RESTART keeps the size
    clearRecords();
    blackPlayer = rng.uniform(0, 1);
    pliesLeft = rng.uniform(4, options.maxPlies);
    if (rng.chance(25)) {
      randomOpening();
    } else if (rng.chance(15)) {
      swap2Opening();
    } else if (rng.chance(15)) {
      plantFlankedFour();
    }
  }

  // Black to move, with four in a row between two White stones whose one
  // completion cell is also the only cell that stops White's four: Black's
  // forced block there makes exactly five between two White stones, which
  // wins under every rule but Caro, and plays on under Caro.
  void plantFlankedFour() {
    const int n = game.size;
    if (n < 7) return;
    const int x0 = rng.uniform(0, n - 7);
    const int y = rng.uniform(0, n - 1);
    const int completion = x0 + 5;
    const int up = y >= 4 ? -1 : 1;  // White's four runs from the completion cell this way
    if (y + 4 * up < 0 || y + 4 * up >= n) return;
    std::vector<int> black, white = {x0 + kGridWidth * y, x0 + 6 + kGridWidth * y};
    for (int k = 1; k <= 4; ++k) {
      black.push_back(x0 + k + kGridWidth * y);
      white.push_back(completion + kGridWidth * (y + k * up));
    }
    // A Black stone beyond White's four leaves it the one completion cell.
    const int beyond = y + 5 * up;
    if (beyond >= 0 && beyond < n) black.push_back(completion + kGridWidth * beyond);
    // Random Black stones elsewhere even the count (never the completion cell).
    Game taken{n, black};
    taken.order.insert(taken.order.end(), white.begin(), white.end());
    taken.order.push_back(completion + kGridWidth * y);
    while (black.size() < white.size()) {
      const std::vector<int> empty = taken.emptyCells();
      black.push_back(empty[static_cast<std::size_t>(rng.uniform(0, static_cast<int>(empty.size()) - 1))]);
      taken.order.push_back(black.back());
    }
    for (std::size_t i = 0; i < 2 * black.size(); ++i) {
      game.order.push_back(i % 2 == 0 ? black[i / 2] : white[i / 2]);
      if (game.lastMoveMadeFive()) {  // a random stone made five: no such opening
        game.order.clear();
        return;
      }
    }
    pliesLeft = std::max(pliesLeft, static_cast<int>(game.order.size()) + 4);
  }

  // A resumed game: a few random stones, none making five.
  void randomOpening() {
    const int stones = rng.uniform(1, std::min(12, game.size * game.size / 4));
    for (int i = 0; i < stones; ++i) {
      std::vector<int> empty = game.emptyCells();
      game.order.push_back(empty[static_cast<std::size_t>(rng.uniform(0, static_cast<int>(empty.size()) - 1))]);
      if (game.lastMoveMadeFive()) game.order.pop_back();
    }
  }

  // ---------------------------------------------------------------------
  // Move requests
  // ---------------------------------------------------------------------

  Player& mover() { return players[game.order.size() % 2 == 0 ? blackPlayer : 1 - blackPlayer]; }

  // Whether the last move won, as the player who made it was told the rule:
  // under Caro a five between two of the opponent's stones plays on.
  bool lastMoveEndsGame() {
    if (game.order.empty()) return false;
    const Player& lastMover = players[game.order.size() % 2 == 1 ? blackPlayer : 1 - blackPlayer];
    const bool ends = game.lastMoveEndsGame(lastMover.rules);
    if (!ends && game.lastMoveMadeFive()) ++stats.flankedFivesPlayedOn;
    return ends;
  }

  void takeBack(Player& player) {
    send(player, rng.chance(50) ? "TAKEBACK" : "takeback " + cellText(player.record.back()));
    expectReply(player, "OK", "TAKEBACK");
    player.record.pop_back();
  }

  std::vector<std::string> boardBlock(const std::vector<BlockStone>& stones) {
    std::vector<std::string> lines = {"BOARD"};
    for (const BlockStone& stone : stones) {
      const int opposingOwner = rng.chance(90) ? 2 : rng.chance(50) ? 0 : 3;
      lines.push_back(cellText(stone.cell) + "," + std::to_string(stone.own ? 1 : opposingOwner));
      if (rng.chance(3)) lines.push_back("");
    }
    static const char* const kDone[] = {"DONE", "done", "Done"};
    lines.push_back(kDone[rng.uniform(0, 2)]);
    return lines;
  }

  // A block the engine must refuse: the stone counts fit neither side.
  std::vector<BlockStone> refusedBlock() {
    std::vector<BlockStone> stones;
    std::vector<int> empty = Game{game.size, {}}.emptyCells();
    const int own = rng.uniform(2, 3);
    for (int i = 0; i < own && i < static_cast<int>(empty.size()); ++i)
      stones.push_back({empty[i * 7 % empty.size()], true});
    // Distinct cells: 0, 7, 14 (mod the cell count) differ on every board of 25 cells or more.
    return stones;
  }

  struct Request {
    std::vector<std::string> lines;
    std::vector<int> engineRecord;  // the record the decision runs on
    bool refusedBlock = false;
  };

  Request chooseRequest(Player& player) {
    Request request;
    const std::vector<int>& order = game.order;
    const std::size_t count = order.size();
    if (rng.chance(3)) {
      request.lines = boardBlock(refusedBlock());
      request.refusedBlock = true;
      ++stats.refusedBlocks;
      return request;
    }
    const bool resume = rng.chance(8);
    if (!resume && count == 0 && player.record.empty()) {
      request.lines = {rng.chance(80) ? "BEGIN" : "begin"};
      return request;
    }
    if (!resume && count > 0 && samePosition(player.record, order, count)) takeBack(player);
    if (!resume && count > 0 && samePosition(player.record, order, count - 1)) {
      request.lines = {"TURN " + cellText(order.back())};
      // The engine's own order, which a BOARD block may have changed from
      // the game's: TAKEBACK removes the last move of that order.
      request.engineRecord = player.record;
      request.engineRecord.push_back(order.back());
      return request;
    }
    const std::vector<BlockStone> stones = blockForMover(game, rng);
    request.lines = boardBlock(stones);
    request.engineRecord = recordFromBlock(stones);
    ++stats.boardBlocks;
    if (rng.chance(30)) {
      // The GUI's analysis: the position set without a move, then the best
      // few moves analysed and the best played.
      request.lines.front() = rng.chance(50) ? "YXBOARD" : "yxboard";
      request.lines.push_back((rng.chance(50) ? "YXNBEST " : "yxnbest ") + std::to_string(rng.uniform(1, 4)));
      ++stats.nbestRequests;
    }
    return request;
  }

  // What an engine answered, and what was sent around the request.
  struct Answer {
    std::string line;
    bool junkSent = false;
    bool endSent = false;
    bool endedSilently = false;  // END stopped the think: no answer, the engine exited
    int64_t overBudgetMs = 0;    // how long after its budget it came
  };

  // Sends the request's lines, then a stop, junk or END (when `endAllowed`)
  // at random instants as managers do, and waits for the answer: the first
  // line that is not a MESSAGE or INFO line (or an ERROR the junk earned). It
  // must come within the budget and the margin.
  Answer awaitAnswer(Player& player, const std::vector<std::string>& lines, bool refusedBlock, bool endAllowed) {
    for (const std::string& line : lines) send(player, line);
    const auto sent = Clock::now();
    const int64_t budget = std::max<int64_t>(0, longestBudgetMs(player.settings));
    const int64_t deadline = budget + options.marginMs;

    // A stop at a random instant of the decision, or just after it.
    std::optional<Clock::time_point> stopAt;
    if (rng.chance(25)) stopAt = sent + std::chrono::milliseconds(rng.uniform(0, static_cast<int>(budget) + 30));
    const std::string stopLine = rng.chance(80) ? "YXSTOP" : "yxstop";
    Answer answer;
    if (rng.chance(10)) {
      for (int i = rng.uniform(1, 3); i > 0; --i) send(player, junkLine(rng));
      answer.junkSent = true;
      ++stats.junkLines;
    }
    // END ends the engine: at once and without an answer while it thinks,
    // after its answer when the decision was over before END arrived.
    answer.endSent = endAllowed && rng.chance(3);
    if (answer.endSent) {
      send(player, "END");
      ++stats.endsWhileThinking;
      stopAt.reset();
    }

    bool boardErrorSeen = false;
    for (;;) {
      const auto now = Clock::now();
      if (stopAt && now >= *stopAt) {
        send(player, stopLine);
        ++stats.stops;
        stopAt.reset();
      }
      const int64_t waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - sent).count();
      const int guard = static_cast<int>(std::max<int64_t>(1, deadline + options.hangMs - waited));
      const int timeout =
          stopAt ? static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(*stopAt - now).count()) + 1
                 : guard;
      auto line = receive(player, timeout);
      if (!line && stopAt) continue;  // time to send the stop
      if (!line && answer.endSent) {
        expectEndedAfterEnd(player);
        answer.endedSilently = true;
        return answer;
      }
      if (!line) silent(player, "while an answer was due", guard);
      if (refusedBlock && !boardErrorSeen) {
        if (*line != "ERROR Board error.")
          throw Failure(player.name + ": '" + *line + "' instead of the block's refusal");
        boardErrorSeen = true;
        continue;
      }
      if (startsWith(*line, "MESSAGE ") || startsWith(*line, "INFO ")) continue;
      if (answer.junkSent && junkReply(*line)) continue;
      answer.line = *line;
      break;
    }
    const int64_t elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
    answer.overBudgetMs = elapsed - budget;
    stats.latestOverBudgetMs = std::max(stats.latestOverBudgetMs, answer.overBudgetMs);
    if (elapsed > deadline) {
      throw Failure(player.name + ": answer after " + std::to_string(elapsed) + " ms; budget " +
                    std::to_string(budget) + " ms + margin " + std::to_string(options.marginMs) + " ms");
    }
    if (stopAt) {
      send(player, stopLine);  // too late: an idle engine ignores it
      ++stats.stops;
    }
    return answer;
  }

  // Asks the engine to move and checks its answer. Returns false when the
  // engine was sent END while it thought and the match must end.
  bool requestMove(Player& player) {
    const Request request = chooseRequest(player);
    ++stats.requests;
    const Answer answer = awaitAnswer(player, request.lines, request.refusedBlock, true);
    if (answer.endedSilently) return false;
    checkMove(player, answer.line, request.engineRecord);
    if (!request.refusedBlock) game.order.push_back(player.record.back());
    if (answer.endSent) return false;
    expectQuiet(player, answer.junkSent);
    return true;
  }

  void checkMove(Player& player, const std::string& line, const std::vector<int>& engineRecord) {
    int x = 0, y = 0;
    if (!parseMoveLine(line, x, y)) throw Failure(player.name + ": '" + line + "' where a move line was due");
    if (x < 0 || x >= game.size || y < 0 || y >= game.size) {
      throw Failure(player.name + ": move " + line + " off the " + std::to_string(game.size) + "x" +
                    std::to_string(game.size) + " board");
    }
    const int cell = x + kGridWidth * y;
    if (std::find(engineRecord.begin(), engineRecord.end(), cell) != engineRecord.end()) {
      throw Failure(player.name + ": move " + line + " on an occupied cell");
    }
    // Under Renju, Black loses by playing a forbidden point; an engine plays
    // one only when every empty cell is forbidden.
    if (player.rules.renju && engineRecord.size() % 2 == 0) {
      const RenjuVerdict verdict = judgeBlackMove(game.size, engineRecord, cell);
      if (verdict.forbidden && verdict.anyAllowed) {
        throw Failure(player.name + ": Black's move " + line + " is a forbidden point under Renju");
      }
    }
    player.record = engineRecord;
    player.record.push_back(cell);
  }

  // ---------------------------------------------------------------------
  // The Swap2 opening
  // ---------------------------------------------------------------------

  // A block the engine must refuse: two or four stones are no case of the
  // opening. Nothing changes, and no decision starts.
  void refusedSwap2Block(Player& player) {
    const std::vector<int> empty = Game{game.size, {}}.emptyCells();
    send(player, "SWAP2BOARD");
    // Distinct cells: 0, 7, 14, 21 (mod the cell count) differ on every board of 25 cells or more.
    for (int i = rng.chance(50) ? 2 : 4; i > 0; --i) send(player, cellText(empty[(i * 7) % empty.size()]));
    send(player, "DONE");
    expectReply(player, "ERROR SWAP2BOARD wants 0, 3 or 5 stones on distinct cells of the board.",
                "a refused SWAP2BOARD block");
    ++stats.refusedSwap2Blocks;
  }

  // One step of the opening: `player` answers the stones so far. SWAP (not
  // on an empty block) sets `swapped`; otherwise the answer places three
  // stones on an empty block, one or two after three, one after five, each on
  // an empty cell of the board; they join the game. Returns how many.
  std::size_t swap2Step(Player& player, bool& swapped) {
    std::vector<std::string> lines = {rng.chance(80) ? "SWAP2BOARD" : "swap2board"};
    for (int cell : game.order) lines.push_back(cellText(cell));
    lines.push_back(rng.chance(80) ? "DONE" : "done");
    const Answer answer = awaitAnswer(player, lines, false, false);
    ++stats.swap2Answers;
    stats.latestSwap2OverBudgetMs = std::max(stats.latestSwap2OverBudgetMs, answer.overBudgetMs);
    const std::size_t given = game.order.size();
    swapped = given > 0 && answer.line == "SWAP";
    std::size_t placed = 0;
    for (std::size_t at = 0; !swapped && at <= answer.line.size(); ++placed) {
      const std::size_t end = std::min(answer.line.find(' ', at), answer.line.size());
      int x = 0, y = 0;
      if (!parseMoveLine(answer.line.substr(at, end - at), x, y) || x < 0 || x >= game.size || y < 0 ||
          y >= game.size || game.occupied(x + kGridWidth * y)) {
        throw Failure(player.name + ": '" + answer.line + "' answers SWAP2BOARD with a bad or taken stone");
      }
      game.order.push_back(x + kGridWidth * y);
      at = end + 1;
    }
    const std::size_t most = given == 0 ? 3 : given == 3 ? 2 : 1;
    const std::size_t fewest = given == 0 ? 3 : 1;
    if (!swapped && (placed < fewest || placed > most)) {
      throw Failure(player.name + ": '" + answer.line + "' places " + std::to_string(placed) + " stones after " +
                    std::to_string(given));
    }
    player.record = game.order;
    expectQuiet(player, answer.junkSent);
    return placed;
  }

  // A Swap2 opening as the tournament's referee plays it: the first engine
  // proposes three stones; the second swaps (takes Black), stays White with
  // the fourth, or places two more, after which the first swaps (takes
  // Black) or stays White with the sixth. The game goes on from there.
  void swap2Opening() {
    const int first = blackPlayer;
    const int second = 1 - first;
    if (rng.chance(10)) refusedSwap2Block(players[first]);
    bool swapped = false;
    swap2Step(players[first], swapped);
    const std::size_t placed = swap2Step(players[second], swapped);
    ++stats.swap2Openings;
    if (swapped) {
      blackPlayer = second;
      return;
    }
    if (placed == 1) return;
    swap2Step(players[first], swapped);
    blackPlayer = swapped ? first : second;
  }

  // ---------------------------------------------------------------------
  // What happens between moves
  // ---------------------------------------------------------------------

  void junkWhileIdle() {
    Player& player = players[rng.uniform(0, 1)];
    for (int i = rng.uniform(1, 4); i > 0; --i) send(player, junkLine(rng));
    ++stats.junkLines;
    expectQuiet(player, true);
  }

  void changeSettings() {
    Player& player = players[rng.uniform(0, 1)];
    randomSettings(player);
    ++stats.settingChanges;
    expectQuiet(player, false);
  }

  // Takes back one or two plies; each engine takes back until its stones
  // all stand in the game again.
  void takebackPlies() {
    const int plies = rng.uniform(1, 2);
    if (static_cast<int>(game.order.size()) <= plies) return;
    for (int i = 0; i < plies; ++i) game.order.pop_back();
    for (Player& player : players) {
      while (!player.record.empty() && !withinGame(player.record, game.order)) takeBack(player);
    }
    ++stats.takebacks;
  }

  void between() {
    const int roll = rng.uniform(0, 99);
    if (roll < 8) {
      junkWhileIdle();
    } else if (roll < 14) {
      changeSettings();
    } else if (roll < 20) {
      takebackPlies();
    } else if (roll < 23) {
      ++stats.restarts;
      newGame(false);
    }
  }

  // The engine told END while it thought: its output has ended, and it
  // exits with status 0.
  void expectEndedAfterEnd(Player& player) {
    const int status = player.process->waitExit(options.hangMs);
    player.exited = true;
    if (status != 0) {
      throw Failure(player.name + (status < 0 ? ": still running after END while thinking (hang; killed)"
                                              : ": exit status " + std::to_string(status) + " after END"));
    }
  }

  void finish() {
    for (Player& player : players) {
      if (player.exited) continue;
      if (rng.chance(20)) {
        player.process->closeInput();  // end of input ends the engine as END does
      } else {
        send(player, rng.chance(80) ? "END" : "end");
      }
      const int status = player.process->waitExit(options.hangMs);
      if (status != 0) {
        throw Failure(player.name + (status < 0 ? ": still running after END (hang; killed)"
                                                : ": exit status " + std::to_string(status) + " after END"));
      }
    }
  }

  void play() {
    launch();
    if (rng.chance(20)) {
      send(players[0], "BEGIN");
      expectReply(players[0], "ERROR No game started.", "BEGIN before any game");
    }
    newGame(true);
    for (;;) {
      const bool over = lastMoveEndsGame() || game.full() || static_cast<int>(game.order.size()) >= pliesLeft;
      if (over) break;
      if (!requestMove(mover())) break;
      between();
    }
    finish();
  }
};

[[noreturn]] void usage(const std::string& message) {
  std::fprintf(stderr, "quenvik_stress: %s\n", message.c_str());
  std::exit(2);
}

Options parseOptions(int argc, char** argv) {
  Options options;
  options.seed = static_cast<uint64_t>(Clock::now().time_since_epoch().count());
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--verbose" || name == "--transcript") {
      (name == "--verbose" ? options.verbose : options.transcript) = true;
      continue;
    }
    if (i + 1 >= argc) usage("option " + name + " needs a value");
    const std::string value = argv[++i];
    try {
      if (name == "--games") {
        options.games = std::stoi(value);
      } else if (name == "--seed") {
        options.seed = std::stoull(value);
      } else if (name == "--only-game") {
        options.onlyGame = std::stoi(value);
      } else if (name == "--margin-ms") {
        options.marginMs = std::stoi(value);
      } else if (name == "--hang-ms") {
        options.hangMs = std::stoi(value);
      } else if (name == "--max-plies") {
        // A BOARD block holds at most 400 stones; games stay below that.
        options.maxPlies = std::clamp(std::stoi(value), 4, 399);
      } else if (name == "--engine") {
        options.engine = value;
      } else if (name == "--engine-a") {
        options.engineA = value;
      } else {
        usage("unknown option " + name);
      }
    } catch (const std::logic_error&) {
      usage("bad value '" + value + "' for " + name);
    }
  }
  return options;
}

}  // namespace
}  // namespace quenvik::stress

int main(int argc, char** argv) {
  using namespace quenvik::stress;
  const Options options = parseOptions(argc, argv);
  std::printf("stress: seed %llu, margin %d ms, engine %s\n", static_cast<unsigned long long>(options.seed),
              options.marginMs, options.engine.c_str());
  std::fflush(stdout);
  Stats stats;
  const int first = options.onlyGame >= 0 ? options.onlyGame : 0;
  const int last = options.onlyGame >= 0 ? options.onlyGame + 1 : options.games;
  for (int index = first; index < last; ++index) {
    const uint64_t seed = gameSeed(options.seed, index);
    Match match(options, stats, seed);
    try {
      match.play();
    } catch (const Failure& failure) {
      std::printf("stress: FAILED in game %d (run seed %llu, game seed %llu): %s\n", index,
                  static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(seed), failure.what());
      std::printf("stress: replay with --seed %llu --only-game %d; lines exchanged:\n",
                  static_cast<unsigned long long>(options.seed), index);
      for (const std::string& line : match.transcript) std::printf("  %s\n", line.c_str());
      std::printf("%d passed, 1 failed\n", stats.games);
      return 1;
    }
    ++stats.games;
    if (options.transcript) {
      for (const std::string& line : match.transcript) std::printf("  %s\n", line.c_str());
    }
    if (options.verbose) {
      std::printf("stress: game %d: %dx%d, %zu stones, %lld ms\n", index, match.game.size, match.game.size,
                  match.game.order.size(), match.msSinceStart());
      std::fflush(stdout);
    }
  }
  std::printf(
      "stress: %d games, %d move requests (%d with YXSTOP, %d BOARD blocks, %d of them YXBOARD + YXNBEST, %d "
      "refused blocks, %d END while thinking), %d Swap2 openings (%d SWAP2BOARD answers, %d refused blocks), %d "
      "takebacks, %d restarts, %d junk bursts, %d setting changes, %d Caro fives between opponent stones played on; "
      "latest reply %lld ms past its budget (of the Swap2 answers %lld ms)\n",
      stats.games, stats.requests, stats.stops, stats.boardBlocks, stats.nbestRequests, stats.refusedBlocks,
      stats.endsWhileThinking, stats.swap2Openings, stats.swap2Answers, stats.refusedSwap2Blocks, stats.takebacks,
      stats.restarts, stats.junkLines, stats.settingChanges, stats.flankedFivesPlayedOn,
      static_cast<long long>(stats.latestOverBudgetMs), static_cast<long long>(stats.latestSwap2OverBudgetMs));
  std::printf("%d passed, 0 failed\n", stats.games);
  return 0;
}
