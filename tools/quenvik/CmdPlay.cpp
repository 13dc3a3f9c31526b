// quenvik play: a game against the engine in a terminal. The person types
// moves as h8 or 7,7, or undo, hint, save FILE, new and quit; the board is
// drawn once per turn, after the engine's answer.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "think/Analysis.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Decide.h"
#include "tools/quenvik/GameRules.h"
#include "tools/quenvik/Terminal.h"

namespace quenvik::tool {

namespace {

constexpr int32_t kDefaultMoveTimeMs = 2000;
// A node limit needs a time that never runs out first.
constexpr int32_t kNodeLimitedMoveTimeMs = 1000000;
// Long enough for a file name after save.
constexpr std::size_t kMaxInputLength = 512;
constexpr int kFiveLength = 5;
constexpr const char* kAccepted = "Type a move as h8 or 7,7, or undo, hint, save FILE, new or quit.";
constexpr const char* kAfterResult = "The game is over: type save FILE, new or quit (undo takes your last move back).";
constexpr const char* kPersonName = "Human";

// ANSI colours, only when standard output is a terminal and NO_COLOR is unset.
struct Palette {
  const char* black;
  const char* white;
  const char* last;
  const char* five;
  const char* forbidden;
  const char* empty;
  const char* reset;
};
constexpr Palette kPlain = {"", "", "", "", "", "", ""};
constexpr Palette kColours = {"\033[1;31m", "\033[1;36m", "\033[1;33m", "\033[30;42m",
                              "\033[35m",   "\033[2m",    "\033[0m"};

struct Game {
  Position start;              // the position given on the command line
  bool startIsOver = false;    // it already holds a five or fills the board
  Position position;           // the start position's stones, then the moves played
  std::size_t setUpCount = 0;  // stones that undo never takes back
  bool personIsBlack = true;
  DecisionLimits limits;
  const Palette* palette = &kPlain;
  bool over = false;
  std::string result;      // as SGF's RE says it: B+1, W+1, or 0 for a draw
  std::vector<Move> five;  // the winning line, when the game ended with one
};

bool blackToMove(const Game& game) { return game.position.moves.size() % 2 == 0; }
bool personToMove(const Game& game) { return blackToMove(game) == game.personIsBlack; }
bool personPlayed(const Game& game, std::size_t index) { return (index % 2 == 0) == game.personIsBlack; }
int cellCount(const Game& game) { return game.position.size * game.position.size; }
const char* colourOf(std::size_t index) { return index % 2 == 0 ? "Black" : "White"; }

std::string moveName(Move move) {
  return posName(move.first, move.second) + " (" + std::to_string(move.first) + "," + std::to_string(move.second) + ")";
}

bool contains(const std::vector<Move>& moves, Move move) {
  for (const Move& m : moves) {
    if (m == move) return true;
  }
  return false;
}

// The cells of the run of the last mover's stones through the last move
// that won: exactly five where a run of exactly five exists, else the
// longest one of five or more.
std::vector<Move> winningLine(const Position& position) {
  const auto& moves = position.moves;
  const std::size_t mover = (moves.size() - 1) % 2;
  std::set<Move> own;
  for (std::size_t i = mover; i < moves.size(); i += 2) own.insert(moves[i]);
  constexpr int kSteps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  std::vector<Move> best;
  for (const auto& step : kSteps) {
    Move first = moves.back();
    while (own.count({first.first - step[0], first.second - step[1]}))
      first = {first.first - step[0], first.second - step[1]};
    std::vector<Move> run;
    for (Move cell = first; own.count(cell); cell = {cell.first + step[0], cell.second + step[1]}) run.push_back(cell);
    const bool exact = static_cast<int>(run.size()) == kFiveLength;
    const bool bestExact = static_cast<int>(best.size()) == kFiveLength;
    if (static_cast<int>(run.size()) >= kFiveLength &&
        (best.empty() || (exact && !bestExact) || (!exact && !bestExact && run.size() > best.size())))
      best = run;
  }
  return best;
}

// ---- the board ----

void drawBoard(const Game& game) {
  const Palette& paint = *game.palette;
  const int n = game.position.size;
  const auto& moves = game.position.moves;
  std::vector<char> cells(static_cast<std::size_t>(n * n), '.');
  for (std::size_t i = 0; i < moves.size(); ++i) {
    cells[static_cast<std::size_t>(moves[i].second * n + moves[i].first)] = i % 2 == 0 ? 'X' : 'O';
  }
  const std::vector<Move> forbidden = game.over ? std::vector<Move>() : forbiddenCells(game.position);
  for (const Move& cell : forbidden) cells[static_cast<std::size_t>(cell.second * n + cell.first)] = '*';
  const Move* last = moves.empty() ? nullptr : &moves.back();

  std::string text = "\n   ";
  for (int x = 0; x < n; ++x) text += std::string(" ") + static_cast<char>('a' + x) + " ";
  text += "\n";
  for (int y = 0; y < n; ++y) {
    char label[16];
    std::snprintf(label, sizeof label, "%2d ", y + 1);
    text += label;
    for (int x = 0; x < n; ++x) {
      const char cell = cells[static_cast<std::size_t>(y * n + x)];
      const char* colour = cell == 'X'   ? paint.black
                           : cell == 'O' ? paint.white
                           : cell == '*' ? paint.forbidden
                                         : paint.empty;
      const std::string stone = std::string(colour) + cell + paint.reset;
      if (contains(game.five, {x, y})) {
        text += std::string(paint.five) + "[" + cell + "]" + paint.reset;
      } else if (last != nullptr && last->first == x && last->second == y) {
        text += std::string(paint.last) + "(" + paint.reset + stone + paint.last + ")" + paint.reset;
      } else {
        text += " " + stone + " ";
      }
    }
    text += "\n";
  }
  std::fputs(text.c_str(), stdout);
  if (last != nullptr) {
    std::printf("Last move: %s %s, move %zu. ", colourOf(moves.size() - 1), moveName(*last).c_str(), moves.size());
  }
  std::printf("X Black%s, O White%s%s%s.\n", game.personIsBlack ? " (you)" : "", game.personIsBlack ? "" : " (you)",
              forbidden.empty() ? "" : ", * forbidden to Black", game.five.empty() ? "" : ", [ ] the five");
}

// ---- results ----

// Plays the move; true when it ends the game (a five or a full board).
bool playMove(Game& game, Move move) {
  const bool five = makesFive(game.position, move);
  const bool flankedFive = makesFlankedFive(game.position, move);
  const bool moverIsBlack = blackToMove(game);
  game.position.moves.push_back(move);
  if (flankedFive) std::printf("Five between two of the opponent's stones: no win under Caro.\n");
  if (five) {
    game.over = true;
    game.result = moverIsBlack ? "B+1" : "W+1";
    game.five = winningLine(game.position);
  } else if (static_cast<int>(game.position.moves.size()) == cellCount(game)) {
    game.over = true;
    game.result = "0";
  }
  return game.over;
}

void announceResult(const Game& game) {
  const bool nobodyPlayed = game.position.moves.size() == game.setUpCount;
  if (game.result == "0") {
    std::printf("The board is full: a draw.\n");
  } else if (nobodyPlayed) {
    std::printf("%s has five.\n", game.result == "B+1" ? "Black" : "White");
  } else {
    const bool blackWon = game.result == "B+1";
    std::printf("%s wins with five: %s.\n", blackWon ? "Black" : "White",
                blackWon == game.personIsBlack ? "you win" : "Quenvik wins");
  }
  std::printf("%s\n", kAfterResult);
}

// A start position that already holds a five, or fills the board, is a
// finished game: it is shown with its result and not played on.
void checkStartPosition(Game& game) {
  Position prefix{game.start.size, game.start.rule, {}};
  for (std::size_t i = 0; i < game.start.moves.size(); ++i) {
    const Move move = game.start.moves[i];
    if (makesFive(prefix, move)) {
      prefix.moves.push_back(move);
      game.startIsOver = true;
      game.over = true;
      game.result = i % 2 == 0 ? "B+1" : "W+1";
      game.five = winningLine(prefix);
      std::printf("The start position already holds %s's five, made by move %zu, %s", colourOf(i), i + 1,
                  moveName(move).c_str());
      const std::size_t later = game.start.moves.size() - i - 1;
      if (later > 0) std::printf(" (the record goes on for %zu more)", later);
      std::printf(": the game is over.\n");
      return;
    }
    prefix.moves.push_back(move);
  }
  if (static_cast<int>(game.start.moves.size()) == game.start.size * game.start.size) {
    game.startIsOver = true;
    game.over = true;
    game.result = "0";
    std::printf("The start position fills the board: the game is over.\n");
  }
}

// ---- the engine ----

// The engine's decision on the position, for its own move or as a hint.
// Ctrl-C stops the thinking (the best move so far is the answer), not the
// program; whatever was typed meanwhile is dropped, not taken as the next
// command.
DecisionResult think(const Game& game) {
  catchInterrupt(stopDecisionFromSignal);
  std::printf("Quenvik is thinking... (Ctrl-C: stop and answer now)\n");
  std::fflush(stdout);
  const DecisionResult result = decideOn(game.position, game.limits, DecisionLines::Discard);
  const bool stopped = interrupted();
  releaseInterrupt();
  forgetStopRequest();
  if (stopped) std::printf("\nStopped: Quenvik answers with the best move it has found.\n");
  if (discardTypeAhead(stdin)) std::printf("Ignored what you typed while Quenvik was thinking.\n");
  return result;
}

// The evaluation for the side the decision was made for (`side`), with its
// depth.
std::string evaluationText(const DecisionResult& result, const char* side) {
  if (result.forcedWin) return std::string("a forced win by fours for ") + side;
  if (result.depth == 0) return "no search needed";
  const std::string depth = ", depth " + std::to_string(result.depth);
  if (scoreIsDecided(result.score)) {
    const int moves = movesToFive(result.score);
    return std::string(result.score > 0 ? "a win for " : "a loss for ") + side + " in " + std::to_string(moves) +
           (moves == 1 ? " move" : " moves") + depth;
  }
  return std::string("evaluation ") + (result.score > 0 ? "+" : "") + std::to_string(result.score) + " for " + side +
         depth;
}

// The engine's move; true when it ends the game.
bool engineMoves(Game& game) {
  const DecisionResult result = think(game);
  if (!result.hasMove) {
    std::printf("Quenvik has no move: the game ends.\n");
    game.over = true;
    game.result = "0";
    return true;
  }
  std::printf("Quenvik plays %s: %s.\n", moveName({result.x, result.y}).c_str(),
              evaluationText(result, "Quenvik").c_str());
  return playMove(game, {result.x, result.y});
}

void hint(const Game& game) {
  const DecisionResult result = think(game);
  if (result.hasMove) {
    std::printf("Hint: %s (%s).\n", moveName({result.x, result.y}).c_str(), evaluationText(result, "you").c_str());
  } else {
    std::printf("No hint: the engine found no move.\n");
  }
}

// ---- commands ----

// The game from its start: the start position, or the empty board when the
// start position was already a finished game. The engine moves when it is
// its turn.
void newGame(Game& game) {
  game.position = game.startIsOver ? Position{game.start.size, game.start.rule, {}} : game.start;
  game.setUpCount = game.position.moves.size();
  game.over = false;
  game.result.clear();
  game.five.clear();
  if (!personToMove(game)) engineMoves(game);
  drawBoard(game);
  if (game.over) announceResult(game);
}

// Takes back the person's last move and the engine's answer after it; the
// start position's stones stay.
void undo(Game& game) {
  std::size_t index = game.position.moves.size();
  while (index > game.setUpCount && !personPlayed(game, index - 1)) --index;
  if (index == game.setUpCount) {
    std::printf("Nothing to undo: the stones of the start position stay.\n");
    return;
  }
  game.position.moves.resize(index - 1);
  game.over = false;
  game.result.clear();
  game.five.clear();
  drawBoard(game);
}

std::string sgfText(const Game& game) {
  const std::string size = std::to_string(game.position.size);
  const std::string engineName = std::string("Quenvik ") + QUENVIK_VERSION;
  std::string text = "(;FF[4]GM[4]SZ[" + size + "]RU[" + std::to_string(ruleMask(game.position.rule)) + "]";
  text += "PB[" + (game.personIsBlack ? std::string(kPersonName) : engineName) + "]";
  text += "PW[" + (game.personIsBlack ? engineName : std::string(kPersonName)) + "]";
  if (game.over) text += "RE[" + game.result + "]";
  for (std::size_t i = 0; i < game.position.moves.size(); ++i) {
    const Move move = game.position.moves[i];
    text += std::string(i % 2 == 0 ? ";B[" : ";W[") + static_cast<char>('a' + move.first) +
            static_cast<char>('a' + move.second) + "]";
  }
  return text + ")\n";
}

void save(const Game& game, const std::string& path) {
  if (path.empty()) {
    std::printf("save needs a file name, e.g. save game.sgf\n");
    return;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const std::string text = sgfText(game);
  const bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int error = errno;
  if (file != nullptr && std::fclose(file) != 0) {
    std::printf("Cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return;
  }
  if (!written) {
    std::printf("Cannot write %s: %s\n", path.c_str(), std::strerror(error));
    return;
  }
  std::printf("Saved %zu moves to %s (quenvik play --game %s starts from them).\n", game.position.moves.size(),
              path.c_str(), path.c_str());
}

enum class CellReading { Unreadable, OffBoard, OnBoard };

CellReading readCell(const std::string& word, int size, Move& move) {
  int x = 0, y = 0;
  const auto comma = word.find(',');
  if (comma != std::string::npos) {
    const std::string left = word.substr(0, comma), right = word.substr(comma + 1);
    const auto digits = [](const std::string& s) {
      if (s.empty() || s.size() > 2) return false;
      for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      }
      return true;
    };
    if (!digits(left) || !digits(right)) return CellReading::Unreadable;
    x = std::stoi(left);
    y = std::stoi(right);
  } else {
    if (word.size() < 2 || word.size() > 3 || !std::islower(static_cast<unsigned char>(word[0]))) {
      return CellReading::Unreadable;
    }
    for (std::size_t i = 1; i < word.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(word[i]))) return CellReading::Unreadable;
    }
    x = word[0] - 'a';
    y = std::stoi(word.substr(1)) - 1;
  }
  move = {x, y};
  return x >= 0 && x < size && y >= 0 && y < size ? CellReading::OnBoard : CellReading::OffBoard;
}

std::string trimmed(const std::string& line) {
  std::size_t begin = 0, end = line.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(line[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
  return line.substr(begin, end - begin);
}

std::string lowerWithoutSpaces(const std::string& line) {
  std::string word;
  for (char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c)))
      word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return word;
}

// The person's move, and the engine's answer; the board once after both.
void personMoves(Game& game, const std::string& word) {
  if (game.over) {
    std::printf("%s\n", kAfterResult);
    return;
  }
  Move move;
  const CellReading reading = readCell(word, game.position.size, move);
  if (reading == CellReading::OffBoard) {
    std::printf("%s is off the board. %s\n", word.c_str(), kAccepted);
    return;
  }
  if (reading == CellReading::Unreadable) {
    std::printf("%s\n", kAccepted);
    return;
  }
  if (contains(game.position.moves, move)) {
    std::printf("%s is taken. %s\n", moveName(move).c_str(), kAccepted);
    return;
  }
  if (const std::string foul = forbiddenKindOf(game.position, move); !foul.empty()) {
    std::printf("%s is forbidden to Black (%s). %s\n", moveName(move).c_str(), foul.c_str(), kAccepted);
    return;
  }
  if (!playMove(game, move)) engineMoves(game);
  drawBoard(game);
  if (game.over) announceResult(game);
}

void prompt(const Game& game) {
  if (game.over) {
    std::printf("Game over> ");
  } else {
    std::printf("Move %zu, %s to move> ", game.position.moves.size() + 1, blackToMove(game) ? "Black" : "White");
  }
  std::fflush(stdout);
}

// One line from the person; false when the program is to end.
bool command(Game& game) {
  prompt(game);
  std::string line;
  bool truncated = false;
  if (!readInputLine(stdin, line, kMaxInputLength, truncated)) {
    std::printf("\n");
    return false;
  }
  if (truncated) {
    std::printf("%s\n", kAccepted);
    return true;
  }
  const std::string text = trimmed(line);
  const std::string word = lowerWithoutSpaces(text);
  const std::size_t space = text.find_first_of(" \t");
  if (lowerWithoutSpaces(text.substr(0, space)) == "save" && space != std::string::npos) {
    save(game, trimmed(text.substr(space)));
  } else if (word == "save") {
    save(game, "");
  } else if (word == "quit" || word == "q" || word == "exit") {
    return false;
  } else if (word == "new") {
    newGame(game);
  } else if (word == "undo") {
    undo(game);
  } else if (word == "hint") {
    if (game.over) {
      std::printf("%s\n", kAfterResult);
    } else {
      hint(game);
    }
  } else {
    personMoves(game, word);
  }
  return true;
}

bool wantsColour() {
  const char* noColour = std::getenv("NO_COLOR");
  return isTerminal(stdout) && (noColour == nullptr || noColour[0] == '\0');
}

}  // namespace

int commandPlay(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"time", "nodes"}, {"white"});
  Game game;
  game.start = parsed.position;
  game.personIsBlack = parsed.flags.count("white") == 0;
  game.palette = wantsColour() ? &kColours : &kPlain;
  game.limits.turnTimeMs = kDefaultMoveTimeMs;
  if (parsed.options.count("time")) {
    game.limits.turnTimeMs = parseIntOption("time", parsed.options.at("time"));
    if (game.limits.turnTimeMs <= 0) throw UsageError("--time must be more than 0, got " + parsed.options.at("time"));
  }
  if (parsed.options.count("nodes")) {
    game.limits.nodes = parseIntOption("nodes", parsed.options.at("nodes"));
    if (game.limits.nodes <= 0) throw UsageError("--nodes must be more than 0, got " + parsed.options.at("nodes"));
    if (parsed.options.count("time") == 0) game.limits.turnTimeMs = kNodeLimitedMoveTimeMs;
  }

  std::printf("Quenvik %s: %s on %dx%d. You play %s. %s\n", QUENVIK_VERSION,
              std::string(ruleName(game.start.rule)).c_str(), game.start.size, game.start.size,
              game.personIsBlack ? "Black (X)" : "White (O)", kAccepted);
  checkStartPosition(game);
  if (game.startIsOver) {
    game.position = game.start;
    game.setUpCount = game.start.moves.size();
    drawBoard(game);
    announceResult(game);
  } else {
    newGame(game);
  }
  while (command(game)) {
  }
  return 0;
}

}  // namespace quenvik::tool
