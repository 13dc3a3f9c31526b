// quenvik analyse: the engine's decision on every position of a game, as
// think makes it, with the evaluation before and after each move and flags
// for the moves that stand out.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/EngineState.h"
#include "tools/quenvik/Analysis.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Decide.h"
#include "tools/quenvik/GameRules.h"
#include "tools/quenvik/Terminal.h"

namespace quenvik::tool {

namespace {

constexpr int kInterruptedStatus = 130;  // 128 + SIGINT, as shells report it
constexpr int kProgressBarWidth = 30;
constexpr int kDefaultAnalyseNodes = 20000;

struct AnalyseOptions {
  DecisionLimits limits;
  std::string svgPath;
  bool json = false;
};

AnalyseOptions readOptions(const ToolArgs& parsed) {
  AnalyseOptions options;
  const bool nodesGiven = parsed.options.count("nodes") != 0;
  const bool timeGiven = parsed.options.count("time") != 0;
  if (nodesGiven && timeGiven) throw UsageError("give --nodes or --time, not both");
  if (timeGiven) {
    options.limits.turnTimeMs = parseIntOption("time", parsed.options.at("time"));
    if (options.limits.turnTimeMs <= 0)
      throw UsageError("--time must be more than 0, got " + parsed.options.at("time"));
  } else {
    options.limits.nodes = nodesGiven ? parseIntOption("nodes", parsed.options.at("nodes")) : kDefaultAnalyseNodes;
    if (options.limits.nodes <= 0) throw UsageError("--nodes must be more than 0, got " + parsed.options.at("nodes"));
  }
  if (parsed.options.count("svg")) options.svgPath = parsed.options.at("svg");
  options.json = parsed.flags.count("json") != 0;
  return options;
}

class Progress {
 public:
  explicit Progress(int total) : total_(total), bar_(isTerminal(stderr)), start_(clockMs()) {}

  void done(int ply) {
    if (!bar_) {
      std::fprintf(stderr, "analysed ply %d of %d\n", ply, total_);
      return;
    }
    const int64_t elapsed = clockMs() - start_;
    const int64_t leftMs = ply > 0 ? elapsed * (total_ - ply) / ply : 0;
    const int filled = total_ > 0 ? kProgressBarWidth * ply / total_ : kProgressBarWidth;
    std::fprintf(stderr, "\r[%s%s] ply %d/%d, about %" PRId64 " s left ", std::string(filled, '#').c_str(),
                 std::string(kProgressBarWidth - filled, '.').c_str(), ply, total_, (leftMs + 999) / 1000);
    std::fflush(stderr);
  }

  void finish() {
    if (bar_) std::fputc('\n', stderr);
  }

 private:
  int total_;
  bool bar_;
  int64_t start_;
};

// A decision with a single sensible move answers at once, without search,
// and its score reads 0: it says nothing about the position.
bool forcedReply(const DecisionResult& decision) {
  return decision.hasMove && !decision.forcedWin && decision.nodes <= 1;
}

std::vector<std::string> flagsOf(const PlyReport& report, bool five, bool hadForcedWin, const std::string& foul) {
  const bool enginesChoice = report.engineHasMove && report.engineMove == report.played;
  std::vector<std::string> flags;
  if (five) flags.push_back("win");
  if (!foul.empty()) flags.push_back("forbidden");
  if (hadForcedWin && !five && !enginesChoice && report.after < kDecidedScore) flags.push_back("missed-win");
  if (!five && !enginesChoice && report.before - report.after >= kBlunderDrop) flags.push_back("blunder");
  return flags;
}

// The decision on every position of the game, the empty board first, up to
// the first five or a full board; stops early on Ctrl-C.
std::vector<DecisionResult> decideEveryPosition(const Position& game, const DecisionLimits& limits,
                                                std::vector<bool>& fives) {
  const int total = static_cast<int>(game.moves.size());
  const int cells = game.size * game.size;
  Progress progress(total);
  std::vector<DecisionResult> decisions;
  Position prefix{game.size, game.rule, {}};
  decisions.push_back(decideOn(prefix, limits, DecisionLines::Discard));
  for (int i = 0; i < total && !interrupted(); ++i) {
    const Move move = game.moves[static_cast<std::size_t>(i)];
    fives.push_back(makesFive(prefix, move));
    prefix.moves.push_back(move);
    if (fives.back() || static_cast<int>(prefix.moves.size()) == cells) {
      progress.done(i + 1);
      break;
    }
    DecisionResult decision = decideOn(prefix, limits, DecisionLines::Discard);
    if (interrupted()) break;  // a stopped decision is not an evaluation
    decisions.push_back(std::move(decision));
    progress.done(i + 1);
  }
  progress.finish();
  return decisions;
}

// Scores of forced replies: the next position's, seen from this side, when
// the game went on with that reply.
std::vector<int> resolvedScores(const Position& game, const std::vector<DecisionResult>& decisions) {
  std::vector<int> scores;
  for (const DecisionResult& decision : decisions) scores.push_back(decision.score);
  for (std::size_t k = decisions.size(); k-- > 0;) {
    const DecisionResult& decision = decisions[k];
    if (!forcedReply(decision) || k + 1 >= decisions.size()) continue;
    if (game.moves[k] == Move{decision.x, decision.y}) scores[k] = -scores[k + 1];
  }
  return scores;
}

Analysis analyseGame(const Position& game, const DecisionLimits& limits) {
  Analysis analysis;
  analysis.game = game;
  std::vector<bool> fives;
  const std::vector<DecisionResult> decisions = decideEveryPosition(game, limits, fives);
  const std::vector<int> scores = resolvedScores(game, decisions);
  const int cells = game.size * game.size;
  Position prefix{game.size, game.rule, {}};
  for (std::size_t i = 0; i < fives.size(); ++i) {
    const bool ends = fives[i] || static_cast<int>(i + 1) == cells;
    if (!ends && i + 1 >= decisions.size()) break;  // interrupted before the position after it
    PlyReport report;
    report.ply = static_cast<int>(i + 1);
    report.black = i % 2 == 0;
    report.played = game.moves[i];
    report.engineHasMove = decisions[i].hasMove;
    report.engineMove = {decisions[i].x, decisions[i].y};
    report.before = scores[i];
    report.after = fives[i] ? kWinScore : ends ? 0 : -scores[i + 1];
    report.flags = flagsOf(report, fives[i], decisions[i].forcedWin, forbiddenKindOf(prefix, report.played));
    analysis.plies.push_back(report);
    prefix.moves.push_back(report.played);
  }
  analysis.complete = !interrupted();
  return analysis;
}

std::string cellText(Move move) { return std::to_string(move.first) + "," + std::to_string(move.second); }

std::string joinFlags(const std::vector<std::string>& flags) {
  std::string text;
  for (const std::string& flag : flags) text += (text.empty() ? "" : " ") + flag;
  return text;
}

void printTable(const Analysis& analysis) {
  std::printf("ply  colour  played  engine   before   after  flags\n");
  for (const PlyReport& report : analysis.plies) {
    const std::string engineMove = report.engineHasMove ? cellText(report.engineMove) : "none";
    std::printf("%3d  %-6s  %-6s  %-6s  %7d  %6d%s%s\n", report.ply, report.black ? "black" : "white",
                cellText(report.played).c_str(), engineMove.c_str(), report.before, report.after,
                report.flags.empty() ? "" : "  ", joinFlags(report.flags).c_str());
  }
}

nlohmann::ordered_json moveJson(Move move) {
  return {{"x", move.first}, {"y", move.second}, {"pos", posName(move.first, move.second)}};
}

void printJson(const Analysis& analysis, const DecisionLimits& limits) {
  nlohmann::ordered_json plies = nlohmann::ordered_json::array();
  for (const PlyReport& report : analysis.plies) {
    plies.push_back({{"ply", report.ply},
                     {"colour", report.black ? "black" : "white"},
                     {"played", moveJson(report.played)},
                     {"engine", report.engineHasMove ? moveJson(report.engineMove) : nullptr},
                     {"before", report.before},
                     {"after", report.after},
                     {"flags", report.flags}});
  }
  const nlohmann::ordered_json document = {
      {"size", analysis.game.size},          {"rule", std::string(ruleName(analysis.game.rule))},
      {"moves", analysis.game.moves.size()}, {"nodes", limits.nodes},
      {"time_ms", limits.turnTimeMs},        {"blunder_drop", kBlunderDrop},
      {"complete", analysis.complete},       {"plies", plies}};
  std::printf("%s\n", document.dump(2).c_str());
}

void writeSvg(const Analysis& analysis, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  file << analysisSvg(analysis);
  file.close();
  if (!file) throw UsageError(path + ": cannot write the SVG file");
}

}  // namespace

int commandAnalyse(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"nodes", "time", "svg"}, {"json"});
  const AnalyseOptions options = readOptions(parsed);
  if (!options.svgPath.empty()) {
    std::ofstream probe(options.svgPath, std::ios::binary | std::ios::app);
    if (!probe) throw UsageError(options.svgPath + ": cannot write the SVG file");
  }
  catchInterrupt(stopDecisionFromSignal);
  const Analysis analysis = analyseGame(parsed.position, options.limits);
  if (options.json) {
    printJson(analysis, options.limits);
  } else {
    printTable(analysis);
  }
  std::fflush(stdout);
  if (!options.svgPath.empty()) writeSvg(analysis, options.svgPath);
  if (!analysis.complete) {
    std::fprintf(stderr, "quenvik: interrupted after %zu of %zu moves\n", analysis.plies.size(),
                 parsed.position.moves.size());
    return kInterruptedStatus;
  }
  return 0;
}

}  // namespace quenvik::tool
