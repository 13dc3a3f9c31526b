// The conventions a tournament or a GUI expects of a brain: it starts from any
// working directory, ignores command-line arguments, writes no files and
// stays under the tournament's memory limit over a game.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

namespace fs = std::filesystem;

// The tournament counts the brain's whole process; over this it loses.
constexpr long kMemoryLimitKiB = 350L * 1000 * 1000 / 1024;

// A fresh empty directory, removed with what is left in it.
struct ScratchDirectory {
  fs::path path;
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "quenvik-cwd-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~ScratchDirectory() { fs::remove_all(path); }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(path)) names.push_back(entry.path().string());
    return names;
  }
};

// The peak resident size of a running process, from Linux's process table
// (under Wine this includes Wine's own share of the process).
long peakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A short game with every request kind, a new game in between and a
// takeback: what a brain meets in a tournament round.
void playShortGame(EngineProcess& engine) {
  EXPECT_EQ(engine.readLine(), kReadyLine);
  engine.send("INFO max_node 3000");
  engine.send("START 20");
  EXPECT_EQ(engine.readLine(), "OK");
  engine.send("BEGIN");
  EXPECT_TRUE(isMoveLine(engine.readUntil(isMoveLine).value_or(""))) << "BEGIN";
  for (const char* request : {"TURN 3,3", "TURN 16,16"}) {
    engine.send(request);
    EXPECT_TRUE(isMoveLine(engine.readUntil(isMoveLine).value_or(""))) << request;
  }
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.readLine(), "OK");
  engine.send("RESTART");
  EXPECT_EQ(engine.readLine(), "OK");
  engine.send("BOARD");
  engine.send("9,9,2");
  engine.send("10,10,1");
  engine.send("9,10,2");
  engine.send("DONE");
  EXPECT_TRUE(isMoveLine(engine.readUntil(isMoveLine).value_or(""))) << "BOARD";
}

TEST(TournamentConventions, UnknownArgumentsAndAnyWorkingDirectoryChangeNothingAndNoFileIsWritten) {
  const std::vector<std::vector<std::string>> argumentSets = {
      {"--force-utf8"}, {"-h"}, {"--version", "x", "START 15", ""}};
  for (const auto& arguments : argumentSets) {
    ScratchDirectory directory;
    EngineProcess engine(engineLaunch(), arguments, directory.path.string());
    playShortGame(engine);
    engine.send("END");
    EXPECT_EQ(engine.waitExit(), 0) << arguments[0];
    EXPECT_EQ(directory.entries(), std::vector<std::string>{}) << arguments[0];
  }
}

TEST(TournamentConventions, PeakMemoryOverAGameStaysUnderTheLimit) {
  EngineProcess engine;
  playShortGame(engine);
  engine.send("START 15");  // a new game clears the whole position table
  EXPECT_EQ(engine.readLine(), "OK");
  engine.send("ABOUT");  // the clear is done once ABOUT answers
  EXPECT_EQ(engine.readLine(), kAboutLine);
  const long peak = peakResidentKiB(engine.pid());
  ASSERT_GT(peak, 0);
  EXPECT_LT(peak, kMemoryLimitKiB);
  RecordProperty("peak_resident_kib", std::to_string(peak));
  engine.send("END");
  EXPECT_EQ(engine.waitExit(), 0);
}

}  // namespace
}  // namespace quenvik::test
