#pragma once

#include <gtest/gtest.h>

#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/tick_clock.h"
#include "tests/support/scripted_peer.h"

namespace zelvo::testing {

// COM1 wired to a scripted far end on a virtual clock.
class LinkFixture : public ::testing::Test {
 protected:
  LinkFixture() : ticks_(clock_), line_(peer_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
  }
  ~LinkFixture() override {
    CloseLink();
    SerialChannel::ClosePort();
  }

  // The state after a successful connect, without a handshake on the line.
  void Connected(uint32_t rate = 115200) {
    ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
    ASSERT_EQ(SerialChannel::SetRate(rate), 0);
    ResetExchange();
    SerialChannel::SetOpenFlag(1);
    line_.ClearLog();
  }

  platform::VirtualClock clock_{1000};
  platform::ScopedTickSource ticks_;
  ScriptedPeer peer_;
  platform::InProcessSerialLine line_;
};

}  // namespace zelvo::testing
