// quenvik play: a game against the engine in a terminal. The person types
// moves as h8 or 7,7 (or undo, hint, quit); the board is drawn again after
// every move.
#include <cctype>
#include <cstdio>
#include <string>

#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Decide.h"
#include "tools/quenvik/GameRules.h"
#include "tools/quenvik/Terminal.h"

namespace quenvik::tool {

namespace {

constexpr int32_t kDefaultMoveTimeMs = 2000;
// A node limit needs a time that never runs out first.
constexpr int32_t kNodeLimitedMoveTimeMs = 1000000;
constexpr std::size_t kMaxInputLength = 64;
constexpr const char* kAccepted = "Type a move as h8 or 7,7, or undo, hint or quit.";

struct Game {
  Position position;
  bool personIsBlack = true;
  DecisionLimits limits;
};

bool blackToMove(const Game& game) { return game.position.moves.size() % 2 == 0; }
bool personToMove(const Game& game) { return blackToMove(game) == game.personIsBlack; }
int cellCount(const Game& game) { return game.position.size * game.position.size; }

std::string moveName(Move move) {
  return posName(move.first, move.second) + " (" + std::to_string(move.first) + "," + std::to_string(move.second) + ")";
}

void drawBoard(const Game& game) {
  const int n = game.position.size;
  const auto& moves = game.position.moves;
  std::vector<char> cells(static_cast<std::size_t>(n * n), '.');
  for (std::size_t i = 0; i < moves.size(); ++i) {
    cells[static_cast<std::size_t>(moves[i].second * n + moves[i].first)] = i % 2 == 0 ? 'X' : 'O';
  }
  const std::vector<Move> forbidden = forbiddenCells(game.position);
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
      const char stone = cells[static_cast<std::size_t>(y * n + x)];
      const bool isLast = last != nullptr && last->first == x && last->second == y;
      text += isLast ? std::string("(") + stone + ")" : std::string(" ") + stone + " ";
    }
    text += "\n";
  }
  std::fputs(text.c_str(), stdout);
  if (last != nullptr) {
    std::printf("Last move: %s %s. ", moves.size() % 2 == 1 ? "Black" : "White", moveName(*last).c_str());
  }
  std::printf("X Black, O White%s.\n", forbidden.empty() ? "" : ", * forbidden to Black");
}

// Plays the move; true when it ends the game (a five or a full board), with
// the result printed.
bool playMove(Game& game, Move move) {
  const bool five = makesFive(game.position, move);
  const bool flankedFive = makesFlankedFive(game.position, move);
  const bool moverIsBlack = blackToMove(game);
  game.position.moves.push_back(move);
  drawBoard(game);
  if (flankedFive) std::printf("Five between two of the opponent's stones: no win under Caro.\n");
  if (five) {
    const bool personWon = moverIsBlack == game.personIsBlack;
    std::printf("%s wins with five: %s.\n", moverIsBlack ? "Black" : "White", personWon ? "you win" : "Quenvik wins");
    return true;
  }
  if (static_cast<int>(game.position.moves.size()) == cellCount(game)) {
    std::printf("The board is full: a draw.\n");
    return true;
  }
  return false;
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

std::string normalised(const std::string& line) {
  std::string word;
  for (char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c)))
      word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return word;
}

bool taken(const Game& game, Move move) {
  for (const Move& played : game.position.moves) {
    if (played == move) return true;
  }
  return false;
}

// Takes back moves until the person is to move again, at least one of them
// the person's own.
void undo(Game& game) {
  const std::size_t personsFirst = game.personIsBlack ? 0 : 1;
  if (game.position.moves.size() <= personsFirst) {
    std::printf("Nothing to undo.\n");
    return;
  }
  game.position.moves.pop_back();
  if (!personToMove(game)) game.position.moves.pop_back();
  drawBoard(game);
}

void hint(const Game& game) {
  const DecisionResult result = decideOn(game.position, game.limits, DecisionLines::Discard);
  if (result.hasMove) {
    std::printf("Hint: %s.\n", moveName({result.x, result.y}).c_str());
  } else {
    std::printf("No hint: the engine found no move.\n");
  }
}

// The engine's move; true when it ends the game.
bool engineMoves(Game& game) {
  std::printf("Quenvik is thinking...\n");
  std::fflush(stdout);
  const DecisionResult result = decideOn(game.position, game.limits, DecisionLines::Discard);
  if (!result.hasMove) {
    std::printf("Quenvik has no move: the game ends.\n");
    return true;
  }
  std::printf("Quenvik plays %s.\n", moveName({result.x, result.y}).c_str());
  return playMove(game, {result.x, result.y});
}

// One line from the person; true when the game is over or left.
bool personMoves(Game& game) {
  std::printf("%s to move> ", blackToMove(game) ? "Black" : "White");
  std::fflush(stdout);
  std::string line;
  bool truncated = false;
  if (!readInputLine(stdin, line, kMaxInputLength, truncated)) {
    std::printf("\n");
    return true;
  }
  const std::string word = truncated ? std::string() : normalised(line);
  if (word == "quit" || word == "q" || word == "exit") return true;
  if (word == "undo") {
    undo(game);
    return false;
  }
  if (word == "hint") {
    hint(game);
    return false;
  }
  Move move;
  const CellReading reading = truncated ? CellReading::Unreadable : readCell(word, game.position.size, move);
  if (reading == CellReading::OffBoard) {
    std::printf("%s is off the board. %s\n", word.c_str(), kAccepted);
    return false;
  }
  if (reading == CellReading::Unreadable) {
    std::printf("%s\n", kAccepted);
    return false;
  }
  if (taken(game, move)) {
    std::printf("%s is taken. %s\n", moveName(move).c_str(), kAccepted);
    return false;
  }
  if (const std::string foul = forbiddenKindOf(game.position, move); !foul.empty()) {
    std::printf("%s is forbidden to Black (%s). %s\n", moveName(move).c_str(), foul.c_str(), kAccepted);
    return false;
  }
  if (playMove(game, move)) return true;
  return engineMoves(game);
}

}  // namespace

int commandPlay(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"time", "nodes"}, {"white"});
  Game game;
  game.position = parsed.position;
  game.personIsBlack = parsed.flags.count("white") == 0;
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

  std::printf("Quenvik: %s on %dx%d. You play %s. %s\n", std::string(ruleName(game.position.rule)).c_str(),
              game.position.size, game.position.size, game.personIsBlack ? "Black (X)" : "White (O)", kAccepted);
  drawBoard(game);
  if (!personToMove(game) && engineMoves(game)) return 0;
  while (!personMoves(game)) {
  }
  return 0;
}

}  // namespace quenvik::tool
