#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace zelvo::platform {

// A byte on its way to the host, with the tick at which it has fully arrived.
struct TimedByte {
  uint32_t tick;
  uint8_t byte;
};

// The far end of an in-process line (the simulated box). It learns of every block the host
// writes, with the rate the host's port was set to, and answers with timed bytes.
class LinePeer {
 public:
  virtual ~LinePeer() = default;
  // The host wrote `count` bytes at `baud`; the first one goes onto the line at tick `start`.
  virtual void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) = 0;
  // Appends the bytes sent towards the host since the last call, in order of arrival.
  virtual void TakeOutput(std::vector<TimedByte>& out) = 0;
};

// A serial line inside the process: the host side is a SerialDevice that the link opens by path,
// the other side a LinePeer. Time is the process's tick source (Ticks()), so on a VirtualClock a
// read that waits for a byte simply moves the clock to its arrival; no real time passes.
//
// The line also records what the host did (every write with its tick and rate, purges, opens)
// and can be told to misbehave as a port would: refuse a rate, complete writes short, fail to
// open, or vanish like a pulled USB adapter.
class InProcessSerialLine {
 public:
  struct Write {
    uint32_t tick;
    uint32_t baud;
    std::vector<uint8_t> bytes;
  };

  explicit InProcessSerialLine(LinePeer& peer) : peer_(&peer) {}
  ~InProcessSerialLine();
  InProcessSerialLine(const InProcessSerialLine&) = delete;
  InProcessSerialLine& operator=(const InProcessSerialLine&) = delete;

  // Makes the line openable under `path` until Unregister (or destruction).
  void Register(const std::string& path);
  void Unregister();
  // Opens the host side; refused (busy) while it is already open.
  OpenResult Open();

  // Port faults.
  void RefuseRate(uint32_t baud) { refused_rates_.insert(baud); }
  void FailOpens(OpenError error) { open_error_ = error; }
  void ShortenWrites(int count) { short_writes_ = count; }
  void Unplug() { unplugged_ = true; }
  void Replug() { unplugged_ = false; }

  // What the host did.
  const std::vector<Write>& writes() const { return writes_; }
  std::vector<uint8_t> WrittenBytes() const;  // every write joined
  void ClearLog();
  int purges() const { return purges_; }
  int opens() const { return opens_; }
  bool is_open() const { return open_; }
  uint32_t rate() const { return rate_; }

 private:
  class Device;
  friend class Device;

  LinePeer* peer_;
  std::string path_;
  std::set<uint32_t> refused_rates_;
  OpenError open_error_ = OpenError::kNone;
  int short_writes_ = 0;
  bool unplugged_ = false;
  bool open_ = false;
  uint32_t rate_ = 9600;
  std::deque<TimedByte> pending_;
  std::vector<Write> writes_;
  int purges_ = 0;
  int opens_ = 0;
};

}  // namespace zelvo::platform
