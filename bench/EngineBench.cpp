// Micro-benchmarks of the engine's hot paths. Timings, not tests: run a
// Release build, before and after a change that claims speed.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUENVIK_BENCH=ON
//   cmake --build build-bench --target quenvik_bench && build-bench/bench/quenvik_bench
#include <benchmark/benchmark.h>

#include <string>

#include "AI/AIx.h"
#include "Value/ValueW.h"
#include "core/EngineState.h"
#include "core/Platform.h"
#include "rules/PatternUndo.h"
#include "rules/Patterns.h"
#include "threat/ThreatSearch.h"
#include "tools/quenvik/ToolArgs.h"

namespace {

using quenvik::engine;

const char* const kMiddleGame =
    "10,11 7,5 4,7 4,3 7,7 8,5 3,8 8,13 8,7 10,7 9,6 7,8 9,4 6,6 12,7 9,9 6,3 6,10 11,4 8,3 7,12 7,6 10,9 6,8 6,7 "
    "5,7 8,4 7,4 11,10 4,8";

// A forced win by five fours in a row on 20 x 20.
const char* const kFourLadder =
    "2,5 1,4 2,6 2,8 2,7 5,8 3,4 6,3 5,4 0,0 6,5 0,12 6,6 0,19 7,8 14,0 8,8 19,0 10,6 19,12 10,7 19,19";

void setUp(const char* moves, int size = 15, const char* rule = "freestyle") {
  const auto args =
      quenvik::tool::parseToolArgs({"--size", std::to_string(size), "--rule", rule, "--moves", moves}, {});
  quenvik::tool::setUpPosition(args.position);
  quenvik::updatePatterns();
}

// One search step: mark the pattern state, place a stone, update, take the
// stone back, undo.
void BM_SearchStepPatternUpdate(benchmark::State& state) {
  setUp(kMiddleGame, 15, state.range(0) == 0 ? "freestyle" : "renju");
  const int a = 5, b = 5;
  for (auto _ : state) {
    const quenvik::PatternMark mark = quenvik::markPatterns();
    engine.board[a][b] = quenvik::sideToMove();
    quenvik::updatePatterns();
    engine.board[a][b] = quenvik::kEmpty;
    quenvik::undoPatternsTo(mark);
  }
}
BENCHMARK(BM_SearchStepPatternUpdate)->Arg(0)->Arg(1);

void BM_EvaluatePosition(benchmark::State& state) {
  setUp(kMiddleGame);
  for (auto _ : state) benchmark::DoNotOptimize(quenvik::evaluatePosition(-quenvik::sideToMove()));
}
BENCHMARK(BM_EvaluatePosition);

// A whole root search to a fixed depth from an empty table.
void BM_PrincipalSearch(benchmark::State& state) {
  const double depth = static_cast<double>(state.range(0));
  int64_t nodes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    setUp(kMiddleGame);
    quenvik::prepareStandaloneRootSearch(0);
    state.ResumeTiming();
    quenvik::runOnSearchStack([&] { quenvik::principalSearch(quenvik::kRootWidth, depth, -20000, 20000, 1, 0); });
    nodes += engine.nodeCount;
  }
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
// The search runs on its own big-stack thread: measure wall time.
BENCHMARK(BM_PrincipalSearch)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ThreatSearchOwnWin(benchmark::State& state) {
  setUp(kFourLadder, 20);
  engine.stopFlag = 0;
  engine.searchAborted = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(quenvik::threatSearch(quenvik::sideToMove(), quenvik::kOwnWinDepthLimit));
}
BENCHMARK(BM_ThreatSearchOwnWin)->Unit(benchmark::kMicrosecond);

void BM_ThreatSearchNoWin(benchmark::State& state) {
  setUp(kMiddleGame);
  engine.stopFlag = 0;
  engine.searchAborted = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(quenvik::threatSearch(quenvik::sideToMove(), quenvik::kOwnWinDepthLimit));
}
BENCHMARK(BM_ThreatSearchNoWin)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
