#pragma once

#include <gtest/gtest.h>

#include "link/loader_handshake.h"
#include "link/serial_channel.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/tick_clock.h"
#include "sim/box.h"

namespace zelvo::testing {

// COM1 wired to a simulated box on a virtual clock. Nothing is connected until a test says so.
class BoxFixture : public ::testing::Test {
 protected:
  BoxFixture() : ticks_(clock_), line_(box_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
  }
  ~BoxFixture() override {
    CloseLink();
    SerialChannel::ClosePort();
  }

  // Connects at the speed of `speed_index` (115200 by default) and forgets the handshake's
  // traffic, so that the box's log and the line's log show only what a test sends.
  void Connect(int speed_index = 4) {
    ASSERT_EQ(OpenLoaderLink(0, speed_index), 0);
    box_.ClearRequests();
    line_.ClearLog();
  }

  platform::VirtualClock clock_{1000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  platform::InProcessSerialLine line_;
};

}  // namespace zelvo::testing
