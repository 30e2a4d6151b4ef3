#include "logic/wait_cursor_level.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/recording_feedback.h"

namespace zelvo {
namespace {

TEST(LogicWaitCursorLevelTest, EndsOnceWhetherEndedEarlyOrLeftByException) {
  platform::RecordingFeedback feedback;
  feedback.BeginWaitCursor();
  {
    WaitCursorLevel level(feedback);
    EXPECT_EQ(feedback.cursor_level(), 2);
    level.End();
    level.End();
    EXPECT_EQ(feedback.cursor_level(), 1);
  }
  EXPECT_EQ(feedback.cursor_level(), 1);
  EXPECT_THROW(
      {
        WaitCursorLevel level(feedback);
        throw std::runtime_error("read error");
      },
      std::runtime_error);
  EXPECT_EQ(feedback.cursor_level(), 1);
}

}  // namespace
}  // namespace zelvo
