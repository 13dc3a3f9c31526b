#include "tools/quenvik/ToolArgs.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "core/EngineState.h"
#include "rules/Position.h"
#include "think/Game.h"
#include "tools/quenvik/Records.h"

namespace quenvik::tool {

namespace {

bool readInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  if (errno != 0 || *end != '\0' || end == begin || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::vector<std::pair<int, int>> parseMoves(const std::string& text) {
  std::vector<std::pair<int, int>> moves;
  std::istringstream words(text);
  std::string word;
  while (words >> word) moves.push_back(parseCell(word));
  return moves;
}

constexpr std::size_t kHelpColumnWidth = 24;

std::string helpSubcommand = "SUBCOMMAND";
std::string helpDescription;

// Each help text starts with the value's name. An entry for one subcommand
// comes before the entry for every other (subcommand nullptr).
struct OptionHelp {
  const char* name;
  const char* subcommand;
  const char* help;
};

constexpr OptionHelp kOptionHelp[] = {
    {"cell", nullptr, "x,y the empty cell to describe"},
    {"depth", nullptr, "D search depth, -100 to 100, fractions allowed"},
    {"nodes", "analyse", "K node limit per decision (default 20000)"},
    {"nodes", "bench", "K node limit per position (default 200000)"},
    {"nodes", "play", "K node limit per engine move, for a game that plays the same every time"},
    {"nodes", "search", "K node limit of the search (default 0: none)"},
    {"nodes", nullptr, "K node limit of the decision (default none)"},
    {"time", "analyse", "MS time per decision in ms, instead of the node limit"},
    {"time", "play", "MS time per engine move in ms (default 2000; with --nodes, whichever ends first)"},
    {"time", nullptr, "MS time for the decision in ms (default practically none: give --nodes or --time)"},
    {"nbest", nullptr, "N analyse the N best moves, 1 to 400, as YXNBEST N does; the first is played"},
    {"request", nullptr, "R the threat search's request number (default 8, then 7 for the other side)"},
    {"svg", nullptr, "FILE also write the final position and the evaluation curve to this SVG file (one game)"},
    {"json", nullptr, "print one JSON document instead of the table (one a line for many games)"},
    {"jobs", nullptr, "N games analysed at once, each in a process of its own (default 1)"},
    {"white", nullptr, "play White (the engine opens)"},
};

std::string optionHelp(const std::string& name) {
  for (const OptionHelp& entry : kOptionHelp) {
    if (name == entry.name && (entry.subcommand == nullptr || helpSubcommand == entry.subcommand)) return entry.help;
  }
  return "";
}

// Parser messages on one line, as every refusal of the tool.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

int readSize(const std::string& text) {
  int size = 0;
  if (!readInt(text, size)) throw UsageError("--size needs a whole number, got '" + text + "'");
  if (size < kMinBoardSize || size > kMaxBoardSize) throw UsageError("--size must be 5 to 20, got " + text);
  return size;
}

Rule readRule(const std::string& text) {
  const std::optional<Rule> rule = ruleFromName(text);
  if (!rule) throw UsageError("unknown rule '" + text + "' (" + std::string(kRuleNames) + ")");
  return *rule;
}

}  // namespace

std::pair<int, int> parseCell(const std::string& text) {
  const auto comma = text.find(',');
  int x = 0, y = 0;
  if (comma == std::string::npos || !readInt(text.substr(0, comma), x) || !readInt(text.substr(comma + 1), y)) {
    throw UsageError("unreadable cell '" + text + "' (expected x,y)");
  }
  return {x, y};
}

int parseIntOption(const std::string& name, const std::string& text) {
  int value = 0;
  if (!readInt(text, value)) throw UsageError("--" + name + " needs a whole number, got '" + text + "'");
  return value;
}

namespace {

constexpr const char* kPositionOptions[] = {"--size", "--rule", "--moves", "--pos", "--game", "--game-index", "--ply"};

bool isPositionOption(const std::string& word) {
  for (const char* option : kPositionOptions) {
    if (word == option || word.rfind(std::string(option) + "=", 0) == 0) return true;
  }
  return false;
}

// Moves are checked against the final size, whatever the option order, and
// named as the user wrote them.
void checkMoves(const Position& position, const std::vector<std::string>& written) {
  const int n = position.size;
  if (position.moves.size() > static_cast<std::size_t>(n * n)) throw UsageError("more moves than cells");
  std::vector<std::size_t> takenBy(static_cast<std::size_t>(n * n), 0);  // move number, from 1
  for (std::size_t i = 0; i < position.moves.size(); ++i) {
    const auto [x, y] = position.moves[i];
    const std::string cell = std::to_string(x) + "," + std::to_string(y);
    const std::string name = i < written.size() && written[i] != cell ? written[i] + " (" + cell + ")" : cell;
    if (x < 0 || x >= n || y < 0 || y >= n) {
      throw UsageError("move " + name + " is off the " + std::to_string(n) + "x" + std::to_string(n) + " board");
    }
    std::size_t& taker = takenBy[static_cast<std::size_t>(y * n + x)];
    if (taker != 0) throw UsageError("move " + name + " is on a cell taken by move " + std::to_string(taker));
    taker = i + 1;
  }
}

SourcedGame sourcedGame(const GameRecord& record, const std::string& file, int index) {
  SourcedGame game;
  game.position.size = record.size;
  if (record.rule) game.position.rule = *record.rule;
  game.position.moves = record.moves;
  game.source = {file, index, record.black, record.white, record.result};
  return game;
}

}  // namespace

ToolArgs parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& extraOptions,
                       const std::set<std::string>& extraFlags, PositionUse use) {
  CLI::App app(helpDescription, "quenvik " + helpSubcommand);
  app.set_help_flag("--help,-h", "print this help and exit");
  app.get_formatter()->column_width(kHelpColumnWidth);
  std::string sizeText, ruleText, movesText, posText, gameIndexText, plyText;
  std::vector<std::string> gamePaths;
  std::string gamePath;
  app.allow_extras();
  const auto addText = [&app](const std::string& name, std::string& target, const std::string& help) {
    const auto space = help.find(' ');
    return app.add_option("--" + name, target, help.substr(space + 1))
        ->type_name(help.substr(0, space))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  };
  if (use != PositionUse::None) {
    addText("size", sizeText, "N board side, 5 to 20 (default 15; a game file states its own)");
    addText("rule", ruleText, "RULE " + std::string(kRuleNames) + " (default freestyle, or the game file's RU)");
    addText("moves", movesText, "\"x,y...\" the stones in playing order, Black first, counted from 0");
    addText("pos", posText, "POS the stones as a pos string: h8i9j7 (letter x from a = 0, number y from 1 = 0)");
    if (use == PositionUse::Many) {
      app.add_option("--game", gamePaths,
                     "game files: SGF (FF[4] GM[4]), .psq, or x,y moves, told by content; every game of "
                     "several files, or of a file of many without --game-index, is analysed")
          ->type_name("FILE");
    } else {
      app.add_option("--game", gamePath, "a game file: SGF (FF[4] GM[4]), .psq, or x,y moves; told by content")
          ->type_name("FILE")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    }
    addText("game-index", gameIndexText, "K which game of a file of many, from 1 (default 1)");
    addText("ply", plyText, "K only the first K moves of the game");
  }
  ToolArgs result;
  for (const std::string& name : extraOptions) addText(name, result.options[name], optionHelp(name));
  std::map<std::string, bool> flagValues;
  for (const std::string& name : extraFlags) app.add_flag("--" + name, flagValues[name], optionHelp(name));

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    throw HelpRequested(app.help());
  } catch (const CLI::ParseError& error) {
    throw UsageError(oneLine(error.what()));
  }
  if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
    const std::string& first = extras.front();
    if (use == PositionUse::None && isPositionOption(first)) {
      throw UsageError(helpSubcommand + " takes no position, so not " + first + " (think decides one position)");
    }
    throw UsageError((first.rfind("-", 0) == 0 ? "unknown option '" : "unexpected argument '") + first + "'");
  }
  // Options that were not given are not in the map.
  for (const std::string& name : extraOptions) {
    if (app.count("--" + name) == 0) result.options.erase(name);
  }
  for (const auto& [name, given] : flagValues) {
    if (given) result.flags.insert(name);
  }
  if (use == PositionUse::None) return result;

  if (app.count("--game") != 0 && use == PositionUse::One) gamePaths = {gamePath};
  Position& position = result.position;
  const bool sizeGiven = app.count("--size") != 0;
  const bool ruleGiven = app.count("--rule") != 0;
  const bool gameGiven = !gamePaths.empty();
  if (sizeGiven) position.size = readSize(sizeText);
  if (ruleGiven) position.rule = readRule(ruleText);
  const int sources = (app.count("--moves") != 0) + (app.count("--pos") != 0) + gameGiven;
  if (sources > 1) throw UsageError("give the position once: --moves, --pos or --game");
  if (app.count("--game-index") != 0 && !gameGiven) throw UsageError("--game-index needs --game FILE");
  if (gamePaths.size() > 1 && app.count("--game-index") != 0) {
    throw UsageError("--game-index picks a game of one file, not of " + std::to_string(gamePaths.size()));
  }
  std::vector<std::string> written;
  if (app.count("--moves") != 0) position.moves = parseMoves(movesText);
  if (app.count("--pos") != 0) position.moves = parsePosString(posText, &written);
  const auto fromFile = [&](const GameRecord& record, const std::string& path, int index) {
    if (sizeGiven && record.size != position.size) {
      throw UsageError(path + ": game " + std::to_string(index) + " is on a " + std::to_string(record.size) +
                       " board, not --size " + sizeText);
    }
    SourcedGame game = sourcedGame(record, path, index);
    if (ruleGiven) game.position.rule = position.rule;
    return game;
  };
  if (gameGiven && use == PositionUse::Many && app.count("--game-index") == 0) {
    for (const std::string& path : gamePaths) {
      const std::vector<GameRecord> records = readAllGames(path, position.size);
      for (std::size_t i = 0; i < records.size(); ++i) {
        result.games.push_back(fromFile(records[i], path, static_cast<int>(i + 1)));
      }
    }
    if (result.games.size() == 1) {
      result.position = result.games.front().position;
      result.source = result.games.front().source;
      result.games.clear();
    } else if (app.count("--ply") != 0) {
      throw UsageError("--ply cuts one game: give --game-index K with it");
    }
  } else if (gameGiven) {
    int gameIndex = 1;
    if (app.count("--game-index") != 0) {
      gameIndex = parseIntOption("game-index", gameIndexText);
      if (gameIndex < 1) throw UsageError("--game-index counts from 1, got " + gameIndexText);
    }
    const std::string& path = gamePaths.front();
    const SourcedGame game = fromFile(readGameFile(path, gameIndex, position.size), path, gameIndex);
    position = game.position;
    result.source = game.source;
  }
  if (app.count("--ply") != 0) {
    const int ply = parseIntOption("ply", plyText);
    if (ply < 0) throw UsageError("--ply must be 0 or more, got " + plyText);
    if (static_cast<std::size_t>(ply) > position.moves.size()) {
      throw UsageError("--ply " + plyText + " is past the end of the game (" + std::to_string(position.moves.size()) +
                       " moves)");
    }
    position.moves.resize(static_cast<std::size_t>(ply));
  }
  checkMoves(position, written);
  return result;
}

void setHelpTopic(const std::string& subcommand, const std::string& description) {
  helpSubcommand = subcommand;
  helpDescription = description;
}

std::pair<int, int> requireEmptyCell(const Position& position, const std::string& text) {
  const auto cell = parseCell(text);
  const int n = position.size;
  if (cell.first < 0 || cell.first >= n || cell.second < 0 || cell.second >= n) {
    throw UsageError("cell " + text + " is off the board");
  }
  for (const auto& move : position.moves) {
    if (move == cell) throw UsageError("cell " + text + " is occupied");
  }
  return cell;
}

void setUpPosition(const Position& position) {
  resetEngine();
  engine.gameSize = position.size;
  engine.rule = position.rule;
  seedRandom(kMainThreadSeed);
  newGame();
  engine.recordCount = 0;
  for (const auto& [x, y] : position.moves) engine.recordMoves[engine.recordCount++] = cellIndexOf(x, y);
  setUpEngineBoard({0, 0, position.size});
  engine.positionKey = computePositionKey();
  // The analysis runs as a think thread would: its own generator from state 1.
  seedRandom(kThinkThreadSeed);
}

}  // namespace quenvik::tool
