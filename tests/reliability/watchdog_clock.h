#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/tick_clock.h"

namespace zelvo::testing {

// Raised by a WatchdogClock when a call runs past its limit.
class CallHung : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A virtual clock that also watches over the call running on it. Arm() sets a limit; once more
// virtual time than that has passed since, the next look at the clock raises CallHung, so that a
// call which would wait forever ends the test with a failure instead of running until ctest's
// timeout.
class WatchdogClock final : public platform::TickSource {
 public:
  explicit WatchdogClock(uint32_t start) : clock_(start) {}

  uint32_t Now() override {
    Check();
    return clock_.Now();
  }
  void Sleep(uint32_t ms) override {
    clock_.Sleep(ms);
    Check();
  }

  void Arm(uint64_t limit_ms) {
    armed_ = true;
    armed_at_ = clock_.Now();
    limit_ms_ = limit_ms;
  }
  void Disarm() { armed_ = false; }
  uint32_t now() { return clock_.Now(); }

 private:
  void Check() {
    if (armed_ && clock_.Now() - armed_at_ > limit_ms_) {
      armed_ = false;
      throw CallHung("a call has run for more than " + std::to_string(limit_ms_) +
                     " ms of line time");
    }
  }

  platform::VirtualClock clock_;
  bool armed_ = false;
  uint32_t armed_at_ = 0;
  uint64_t limit_ms_ = 0;
};

}  // namespace zelvo::testing
