// What a careless or hostile manager may send, through the real engine: the
// sanitizer builds run these under ASan and UBSan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

// Every budget derived from extreme time settings is held in the 32-bit
// range: the expected time printed is the clamped value, and a decision
// under it still answers a legal move (a stop ends the long ones).
TEST(HardeningSettings, ExtremeTimeSettingsNeverWrap) {
  struct Case {
    std::vector<std::string> info;
    std::string expected;
  };
  const Case cases[] = {
      {{"INFO time_left 2147483647", "INFO timeout_turn 2147483647"}, "143165476"},
      {{"INFO timeout_match 2147483647", "INFO timeout_turn 2147483647"}, "143165476"},
      {{"INFO time_left -2147483648"}, "-143165676"},
      {{"INFO time_left -2147483648", "INFO timeout_turn -2147483648"}, "-2147483648"},
      {{"INFO timeout_match 0", "INFO timeout_turn 2147483647"}, "6666566"},
  };
  for (const Case& c : cases) {
    EngineSession engine;
    engine.start(15);
    for (const std::string& line : c.info) engine.send(line);
    engine.send("INFO max_node -2147483648");
    engine.send("TURN 7,7");
    EXPECT_EQ(engine.next(), "MESSAGE Expected time=" + c.expected + "ms") << c.info.back();
    engine.send("YXSTOP");
    const std::string reply = engine.moveAfterStop();
    EXPECT_TRUE(isMoveLine(reply)) << reply;
    EXPECT_NE(reply, "7,7");
  }
}

}  // namespace
}  // namespace quenvik::test
