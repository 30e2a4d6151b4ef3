#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logic/fuse_map.h"
#include "platform/inprocess_serial_line.h"
#include "platform/recording_feedback.h"
#include "platform/tick_clock.h"
#include "sim/box.h"

namespace zelvo::testing {

// Stands between the host and the simulated box: a request for which `lost` says true never
// reaches the box (nor do its retries), as on a line that has failed.
class LossyLine : public platform::LinePeer {
 public:
  explicit LossyLine(sim::Box& box) : box_(box) {}
  // The request content: opcode first, then its payload.
  std::function<bool(const std::vector<uint8_t>& content)> lost;

  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override;
  void TakeOutput(std::vector<platform::TimedByte>& out) override { box_.TakeOutput(out); }

 private:
  sim::Box& box_;
};

// The simulated box on COM1 at 115200 baud, connected, on a virtual clock, and the dialog's
// feedback recorded. The feedback starts with one wait-cursor level of the calling command.
class LogicBoxTest : public ::testing::Test {
 protected:
  static constexpr int kCommandLevel = 1;

  LogicBoxTest();
  ~LogicBoxTest() override;

  // Loses every request (and its retries) of `opcode`, or only those whose first payload byte
  // is `row`.
  void LoseRequests(uint8_t opcode, int row = -1);

  // The requests that reached the box: their opcodes, or (for 'i', 'k', 'l') opcode and first
  // payload byte as "i1", "l50" and so on.
  std::vector<std::string> Requests() const;
  int CountRequests(uint8_t opcode) const;

  // Puts `map` into the box's device as if it had been programmed.
  void StoreInBox(const FuseMap& map);
  bool BoxHolds(const FuseMap& map) const;

  // Every message box was shown at the command's level (the reader's bad-row message one level
  // deeper, under the reader's own), and the level is back there.
  void ExpectCursorBalanced() const;

  platform::VirtualClock clock_{5000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  LossyLine lossy_;
  platform::InProcessSerialLine line_;
  platform::RecordingFeedback feedback_;
};

}  // namespace zelvo::testing
