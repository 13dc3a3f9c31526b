// Game records as players keep them: "pos" strings (h8i9j7), SGF files of
// one or many games, .psq files and plain lists of x,y moves. Every reader
// returns protocol coordinates (x, y from 0) and refuses bad input with a
// UsageError naming the file and the line, or the game and move, at fault.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Rule.h"

namespace quenvik::tool {

using Move = std::pair<int, int>;

struct GameRecord {
  int size = 15;
  std::optional<Rule> rule;  // when the file says
  std::vector<Move> moves;
  std::string black;   // the players, when the file names them (SGF PB and PW,
  std::string white;   // the brains of a .psq record)
  std::string result;  // the file's own result (SGF RE), when it gives one
};

// "h8i9j7": a letter for x (a = 0), then a number for y (1 = 0). When
// `written` is given it receives each move as it was written ("h8").
std::vector<Move> parsePosString(const std::string& text, std::vector<std::string>* written = nullptr);

// The same notation for one cell: 7,7 is "h8".
std::string posName(int x, int y);

// Reads game number gameIndex (from 1) of the file; the format is told by
// the content. defaultSize is the board of formats that do not state one.
GameRecord readGameFile(const std::string& path, int gameIndex, int defaultSize);

// The same on text already read; name stands for the file in messages.
GameRecord parseGameText(const std::string& text, const std::string& name, int gameIndex, int defaultSize);

// Every game of the file, in order, each checked as readGameFile checks one.
std::vector<GameRecord> readAllGames(const std::string& path, int defaultSize);
std::vector<GameRecord> parseAllGames(const std::string& text, const std::string& name, int defaultSize);

}  // namespace quenvik::tool
