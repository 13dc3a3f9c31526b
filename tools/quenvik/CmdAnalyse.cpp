// quenvik analyse: the engine's decision on every position of a game, as
// think makes it, with the evaluation before and after each move and flags
// for the moves that stand out.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/EngineState.h"
#include "tools/quenvik/Analysis.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Decide.h"
#include "tools/quenvik/GameRules.h"
#include "tools/quenvik/Jobs.h"
#include "tools/quenvik/Terminal.h"

namespace quenvik::tool {

namespace {

constexpr int kInterruptedStatus = 130;  // 128 + SIGINT, as shells report it
constexpr int kProgressBarWidth = 30;
constexpr int kDefaultAnalyseNodes = 20000;
constexpr int kMaxJobs = 64;

struct AnalyseOptions {
  DecisionLimits limits;
  std::string svgPath;
  bool json = false;
  int jobs = 1;
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
  if (parsed.options.count("jobs")) {
    options.jobs = parseIntOption("jobs", parsed.options.at("jobs"));
    if (options.jobs < 1 || options.jobs > kMaxJobs)
      throw UsageError("--jobs must be 1 to 64, got " + parsed.options.at("jobs"));
  }
  return options;
}

// Per ply for one game; nothing when many games each report one line.
enum class PlyProgress { Shown, Quiet };

class Progress {
 public:
  Progress(int total, PlyProgress shown)
      : total_(total), quiet_(shown == PlyProgress::Quiet), bar_(isTerminal(stderr)), start_(clockMs()) {}

  void done(int ply) {
    if (quiet_) return;
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
    if (bar_ && !quiet_) std::fputc('\n', stderr);
  }

 private:
  int total_;
  bool quiet_;
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
std::vector<DecisionResult> decideEveryPosition(const Position& game, const DecisionLimits& limits, PlyProgress shown,
                                                std::vector<bool>& fives) {
  const int total = static_cast<int>(game.moves.size());
  const int cells = game.size * game.size;
  Progress progress(total, shown);
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

Analysis analyseGame(const Position& game, const GameSource& source, const DecisionLimits& limits, PlyProgress shown) {
  Analysis analysis;
  analysis.game = game;
  analysis.source = source;
  std::vector<bool> fives;
  const std::vector<DecisionResult> decisions = decideEveryPosition(game, limits, shown, fives);
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

// A move in both notations: h8 (7,7).
std::string moveText(Move move) {
  return posName(move.first, move.second) + " (" + std::to_string(move.first) + "," + std::to_string(move.second) + ")";
}

std::string joinFlags(const std::vector<std::string>& flags) {
  std::string text;
  for (const std::string& flag : flags) text += (text.empty() ? "" : " ") + flag;
  return text;
}

std::string formatted(const char* format, ...) {
  va_list arguments, again;
  va_start(arguments, format);
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.pop_back();
  return text;
}

std::string tableText(const Analysis& analysis) {
  std::string text = "ply  colour  played       engine        before   after  flags\n";
  for (const PlyReport& report : analysis.plies) {
    const std::string engineMove = report.engineHasMove ? moveText(report.engineMove) : "none";
    text += formatted("%3d  %-6s  %-11s  %-11s  %7d  %6d%s%s\n", report.ply, report.black ? "black" : "white",
                      moveText(report.played).c_str(), engineMove.c_str(), report.before, report.after,
                      report.flags.empty() ? "" : "  ", joinFlags(report.flags).c_str());
  }
  return text;
}

nlohmann::ordered_json moveJson(Move move) {
  return {{"x", move.first}, {"y", move.second}, {"pos", posName(move.first, move.second)}};
}

nlohmann::ordered_json analysisJson(const Analysis& analysis, const DecisionLimits& limits) {
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
  return {{"size", analysis.game.size},          {"rule", std::string(ruleName(analysis.game.rule))},
          {"moves", analysis.game.moves.size()}, {"nodes", limits.nodes},
          {"time_ms", limits.turnTimeMs},        {"blunder_drop", kBlunderDrop},
          {"complete", analysis.complete},       {"plies", plies}};
}

void writeSvg(const Analysis& analysis, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  file << analysisSvg(analysis);
  file.close();
  if (!file) throw UsageError(path + ": cannot write the SVG file");
}

int analyseOne(const ToolArgs& parsed, const AnalyseOptions& options) {
  if (!options.svgPath.empty()) {
    std::ofstream probe(options.svgPath, std::ios::binary | std::ios::app);
    if (!probe) throw UsageError(options.svgPath + ": cannot write the SVG file");
  }
  if (options.jobs > 1) std::fprintf(stderr, "quenvik: --jobs has one game to analyse: it runs alone\n");
  catchInterrupt(stopDecisionFromSignal);
  const Analysis analysis = analyseGame(parsed.position, parsed.source, options.limits, PlyProgress::Shown);
  if (options.json) {
    std::printf("%s\n", analysisJson(analysis, options.limits).dump(2).c_str());
  } else {
    std::fputs(tableText(analysis).c_str(), stdout);
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

// ---- many games ----

std::string gameName(const GameSource& source) {
  std::string name = source.file + " game " + std::to_string(source.index);
  if (!source.black.empty() || !source.white.empty()) name += " (" + source.black + " - " + source.white + ")";
  return name;
}

// One game's output: under --json one document on one line, which names the
// game; otherwise a heading line, the table and an empty line.
std::string gameText(const Analysis& analysis, const DecisionLimits& limits, bool json, std::size_t number,
                     std::size_t count) {
  if (json) {
    nlohmann::ordered_json document = {{"file", analysis.source.file},
                                       {"game", analysis.source.index},
                                       {"black", analysis.source.black},
                                       {"white", analysis.source.white},
                                       {"result", analysis.source.result}};
    document.update(analysisJson(analysis, limits));
    return document.dump() + "\n";
  }
  return formatted("game %zu of %zu: %s, %s %dx%d, %s\n", number, count, gameName(analysis.source).c_str(),
                   std::string(ruleName(analysis.game.rule)).c_str(), analysis.game.size, analysis.game.size,
                   outcomeText(analysis).c_str()) +
         tableText(analysis) + "\n";
}

// Every game, `jobs` at a time, printed in the order of the files; one
// progress line per game on standard error as each one ends.
int analyseMany(const std::vector<SourcedGame>& games, const AnalyseOptions& options) {
  if (!options.svgPath.empty()) throw UsageError("--svg draws one game: pick it with --game FILE --game-index K");
  if (options.jobs > 1 && !jobsRunInParallel())
    std::fprintf(stderr, "quenvik: --jobs: this system runs the games one at a time\n");
  catchInterrupt(stopDecisionFromSignal);
  const std::size_t count = games.size();
  std::vector<JobResult> results(count);
  std::vector<bool> finished(count, false);
  std::size_t printed = 0, done = 0, incomplete = 0;
  const int64_t start = clockMs();
  const auto work = [&](std::size_t i) {
    const Analysis analysis = analyseGame(games[i].position, games[i].source, options.limits, PlyProgress::Quiet);
    return JobResult{gameText(analysis, options.limits, options.json, i + 1, count), analysis.complete};
  };
  const auto report = [&](std::size_t i, const JobResult& result) {
    results[i] = result;
    finished[i] = true;
    ++done;
    if (!result.complete) ++incomplete;
    std::fprintf(stderr, "analysed game %zu of %zu (%zu done, %.1f s): %s, %zu moves%s\n", i + 1, count, done,
                 static_cast<double>(clockMs() - start) / 1000.0, gameName(games[i].source).c_str(),
                 games[i].position.moves.size(), result.complete ? "" : ", interrupted");
    for (; printed < count && finished[printed]; ++printed) std::fputs(results[printed].text.c_str(), stdout);
    std::fflush(stdout);
  };
  runJobs(count, options.jobs, work, report);
  // After Ctrl-C: what finished out of order is printed too, in order.
  for (std::size_t i = printed; i < count; ++i) {
    if (finished[i]) std::fputs(results[i].text.c_str(), stdout);
  }
  std::fflush(stdout);
  if (done < count || incomplete > 0) {
    std::fprintf(stderr, "quenvik: interrupted after %zu of %zu games\n", done - incomplete, count);
    return kInterruptedStatus;
  }
  return 0;
}

}  // namespace

int commandAnalyse(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"nodes", "time", "svg", "jobs"}, {"json"}, PositionUse::Many);
  const AnalyseOptions options = readOptions(parsed);
  if (parsed.games.empty()) return analyseOne(parsed, options);
  return analyseMany(parsed.games, options);
}

}  // namespace quenvik::tool
