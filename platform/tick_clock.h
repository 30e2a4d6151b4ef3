#pragma once

#include <cstdint>

namespace zelvo::platform {

// The process's millisecond tick counter: 32 bits, wrapping after about 49.7 days, so every
// elapsed time is taken as an unsigned 32-bit difference.
//
// The source is injectable: tests install a VirtualClock, on which waiting costs no real time
// and every deadline is met deterministically.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual uint32_t Now() = 0;
  // Lets at least `ms` milliseconds pass on this clock (a real sleep, or an advance).
  virtual void Sleep(uint32_t ms) = 0;
};

// The monotonic system clock, truncated to 32 bits.
class SystemTickSource final : public TickSource {
 public:
  uint32_t Now() override;
  void Sleep(uint32_t ms) override;
};

// A clock that moves only when somebody sleeps on it or advances it.
class VirtualClock final : public TickSource {
 public:
  explicit VirtualClock(uint32_t start = 0) : now_(start) {}
  uint32_t Now() override { return now_; }
  void Sleep(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_;
};

// The source in use; the system clock unless another one is installed.
TickSource& Ticks();
inline uint32_t TickCount() {
  return Ticks().Now();
}

// Installs `source` (nullptr: back to the system clock). The caller keeps ownership.
void SetTickSource(TickSource* source);

// Installs a source for the lifetime of the object and restores the previous one afterwards.
class ScopedTickSource {
 public:
  explicit ScopedTickSource(TickSource& source);
  ~ScopedTickSource();
  ScopedTickSource(const ScopedTickSource&) = delete;
  ScopedTickSource& operator=(const ScopedTickSource&) = delete;

 private:
  TickSource* previous_;
};

}  // namespace zelvo::platform
