#include <gtest/gtest.h>

#include "think/RootDecision.h"

namespace quenvik {
namespace {

TEST(IterationLine, FirstAlwaysLaterOnlyWithEnoughNodes) {
  EXPECT_TRUE(iterationLineDue(0, 0));
  EXPECT_FALSE(iterationLineDue(1, 3));  // depth 2 needs 4 nodes
  EXPECT_TRUE(iterationLineDue(1, 4));
  EXPECT_FALSE(iterationLineDue(24, 49));  // depth 25 needs 50
  EXPECT_TRUE(iterationLineDue(24, 50));
}

}  // namespace
}  // namespace quenvik
