// An engine process past its ready line, with the reading habits of a
// manager: the next line, the next move, silence checked with ABOUT.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/Process.h"

namespace quenvik::test {

inline const std::string kReadyLine = "MESSAGE Quenvik " QUENVIK_VERSION " is ready.";
inline const std::string kAboutLine = "name=\"Quenvik\", version=\"" QUENVIK_VERSION
                                      "\", author=\"Quenvik developers\", country=\"n/a\", email=\"n/a\", www=\"n/a\"";

inline bool isMessageLine(const std::string& line) { return line.rfind("MESSAGE", 0) == 0; }

// Node limit of every session unless a test sets its own: enough for real
// moves, little enough that no decision runs for long.
constexpr int kSessionNodeLimit = 3000;

// How long a stopped decision may take to answer (it takes milliseconds).
constexpr int kStopBoundMs = 5000;

struct EngineSession : EngineProcess {
  EngineSession() {
    EXPECT_EQ(readLine(), kReadyLine);
    send("INFO max_node " + std::to_string(kSessionNodeLimit));
  }

  std::string next() { return readLine().value_or("<no output>"); }

  // ABOUT as a sentinel: everything sent before it produced no reply.
  void expectSilence() {
    send("ABOUT");
    EXPECT_EQ(next(), kAboutLine);
  }

  // The next line that is not a MESSAGE; the MESSAGE lines before it go to
  // `messages` when given.
  std::string move(std::vector<std::string>* messages = nullptr) {
    for (;;) {
      const std::string line = next();
      if (!isMessageLine(line)) return line;
      if (messages) messages->push_back(line);
    }
  }

  // The move of a decision that was told to stop: it must come within a few
  // seconds, so a broken stop fails fast instead of running out the budget.
  std::string moveAfterStop(std::vector<std::string>* messages = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopBoundMs);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      const std::string line =
          readLine(static_cast<int>(std::max<int64_t>(left.count(), 1))).value_or("<no move in time>");
      if (!isMessageLine(line)) return line;
      if (messages) messages->push_back(line);
    }
  }

  void start(int size) {
    send("START " + std::to_string(size));
    ASSERT_EQ(next(), "OK");
  }

  // A BOARD block: own stones get owner 1, the opponent's 2.
  void board(const std::vector<std::string>& own, const std::vector<std::string>& opposing) {
    send("BOARD");
    for (const auto& cell : own) send(cell + ",1");
    for (const auto& cell : opposing) send(cell + ",2");
    send("DONE");
  }
};

}  // namespace quenvik::test
