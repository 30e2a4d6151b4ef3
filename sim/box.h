#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/inprocess_serial_line.h"
#include "sim/box_faults.h"
#include "sim/box_frame_codec.h"
#include "sim/flash_memory.h"
#include "sim/logic_device.h"

namespace zelvo::sim {

// The loader's commands (the first content byte of a request, echoed in its reply).
inline constexpr uint8_t kOpPing = 0x01;
inline constexpr uint8_t kOpSetSpeed = 0x03;
inline constexpr uint8_t kOpReadIdentity = 'd';
inline constexpr uint8_t kOpReadMemory = 'e';
inline constexpr uint8_t kOpEraseFlashSector = 'g';
inline constexpr uint8_t kOpProgramFlash = 'h';
inline constexpr uint8_t kOpSetLogicAccess = 'i';
inline constexpr uint8_t kOpReadLogicDeviceId = 'j';
inline constexpr uint8_t kOpReadFuseRow = 'k';
inline constexpr uint8_t kOpProgramFuseRow = 'l';
inline constexpr uint8_t kOpReadUes = 'm';
inline constexpr uint8_t kOpWriteUes = 'n';
inline constexpr uint8_t kOpEraseLogic = 'p';
inline constexpr uint8_t kOpStartFirmware = 'q';
inline constexpr uint8_t kOpLoaderCheck = 'r';

// The loader's answer to LoaderCheck: anything but 'r', which only a box that is not yet in its
// loader gives.
inline constexpr uint8_t kLoaderCheckAnswer = 'R';

// Status bytes of the logic commands' replies ('i', 'l', 'n', 'p').
inline constexpr uint8_t kLogicOk = 0x00;
inline constexpr uint8_t kLogicNoAccess = 0x01;    // access is off: nothing was done
inline constexpr uint8_t kLogicBadRequest = 0x02;  // a row or fuse text the device cannot take

// The raw wake-up bytes that bring the loader back after StartFirmware.
inline constexpr uint8_t kWakeUp[2] = {0xDB, 0xDE};

// The most data bytes one ReadMemory answers: a 1498-byte content less 'e', address and count.
inline constexpr uint16_t kMaxReadCount = 1491;

// A byte on its way to the host, with the microsecond at which it has fully arrived.
struct TimedByteUs {
  uint64_t at_us;
  uint8_t byte;
};

// A request the box understood, as it came off the line.
struct LoggedRequest {
  uint8_t opcode = 0;
  std::vector<uint8_t> payload;  // the content after the opcode
  uint32_t baud = 0;             // the rate it came at
  uint32_t tick = 0;             // when its last byte had arrived (ms, rounded up)
  uint8_t header0 = 0;           // first header byte: sequence bits and exchange flag
  uint64_t arrival_us = 0;       // when its last byte had arrived, on the box's microsecond time

  bool exchange_flag() const { return (header0 & 0x10) != 0; }
  uint8_t sequence() const { return header0 >> 6; }
};

// The simulated ZELVO9 box: its loader on a serial line, its flash and its logic device.
//
// The line. The loader listens at one rate (9600 at power-up); bytes sent at any other rate are
// lost, as garbage on a real line would be, and break any frame in progress. It takes frames
// (DLE STX ... DLE ETX check, see box_frame_codec.h), ignores bad ones and everything between
// frames (the wake-up bytes DB DE among it). A frame is a request when its 2-byte header's
// length equals the content that follows and the content's first byte is a command; every
// other frame is ignored. The reply carries the request's sequence bits and exchange flag, the
// length of its own content, and the content: the echoed opcode and the reply's fields.
//
// Timing. Every byte takes 10 bits of line time. A request's last byte has arrived at
// start + bytes x 10000 / baud ms; the box works on it for its processing time (0 unless set)
// and then sends the reply at its own rate, one byte after the other, never two replies at
// once. Time is kept in microseconds. The box is driven in one of two ways: as a LinePeer, on
// the millisecond tick (OnHostBytes, TakeOutput: each byte carries the tick at which it has
// fully arrived, rounded up), or on a microsecond clock of the caller's (OnHostBytesUs,
// TakeOutputUs: each byte carries its exact microsecond), which is what a program serving a
// real line at its real rate needs. Output comes in non-decreasing order either way. A box is
// driven one way only: the two times do not share a zero. With line timing off, bytes take no
// time at all (the pty program uses this unless it is told to pace the line).
//
// The handshake. Ping (0x01) is answered 00 01 01. SetSpeed (0x03 and a 32-bit rate) is
// answered 00 05 03 and the confirmed rate, at the old rate; once that reply is out, the loader
// listens at the confirmed rate.
//
// StartFirmware ('q') is answered, and once the reply is out the box runs its firmware: it
// takes no frames until the wake-up bytes DB DE arrive, at the rate the loader listened at
// before. They bring the loader back at that same rate.
//
// Versions follow the contents (see box_versions.h). Everything a test may want to arrange or
// inspect is reachable: the flash, the logic device, the identity settings, the faults and a log
// of the requests understood.
class Box final : public platform::LinePeer {
 public:
  static constexpr uint32_t kDefaultRate = 9600;
  static constexpr uint16_t kDefaultLoaderVersion = 105;  // shown as "1.05"
  static constexpr const char* kDefaultSerial = "12345678";

  Box() = default;

  // LinePeer: time in millisecond ticks.
  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override;
  void TakeOutput(std::vector<platform::TimedByte>& out) override;

  // The same on a microsecond clock: the host's first byte goes onto the line at `start_us`,
  // and every byte sent back carries the microsecond at which it has fully arrived.
  void OnHostBytesUs(const uint8_t* data, size_t count, uint32_t baud, uint64_t start_us);
  void TakeOutputUs(std::vector<TimedByteUs>& out);

  // The line.
  uint32_t listen_rate() const { return listen_rate_; }
  void set_listen_rate(uint32_t baud);
  bool running_firmware() const { return in_firmware_; }
  // Leaves the loader (as after StartFirmware) or brings it back (as the wake-up bytes do).
  void set_running_firmware(bool running);
  bool line_timing() const { return line_timing_; }
  void set_line_timing(bool on) { line_timing_ = on; }
  // The time the loader works on a request before it starts its reply: for every command, or
  // for one opcode (which then overrides the general time).
  void SetProcessingMs(uint32_t ms) { processing_ms_ = ms; }
  void SetProcessingMs(uint8_t opcode, uint32_t ms) { processing_ms_by_opcode_[opcode] = ms; }

  // Identity. The serial number has 8 or 10 characters; set_serial refuses other lengths.
  uint16_t loader_version() const { return loader_version_; }
  void set_loader_version(uint16_t version);
  const std::string& serial() const { return serial_; }
  bool set_serial(const std::string& serial);
  uint16_t firmware_raw_version() const;
  uint16_t logic_raw_version() const;
  // The identity reply's content as the box would send it now, faults aside.
  std::vector<uint8_t> IdentityReply() const;

  // The box's memories. Changes made through these directly do not count in state_version().
  FlashMemory& flash() { return flash_; }
  const FlashMemory& flash() const { return flash_; }
  LogicDevice& logic() { return logic_; }
  const LogicDevice& logic() const { return logic_; }
  void set_device_type(uint8_t type);

  Faults& faults() { return faults_; }
  const Faults& faults() const { return faults_; }
  // Installs random faults and seeds their generator afresh.
  void SetRandomFaults(const RandomFaults& random);

  // Every request understood, in order of arrival.
  const std::vector<LoggedRequest>& requests() const { return log_; }
  void ClearRequests() { log_.clear(); }
  // Requests understood since the box was made (not reset by ClearRequests).
  int requests_handled() const { return requests_handled_; }
  // Frames that were no request: bad frames, wrong lengths, unknown commands.
  int ignored_frames() const { return ignored_frames_; }
  // Rises with every change of what a saved state holds, made over the line or by a setter.
  uint64_t state_version() const { return state_version_; }
  // The running sum of every byte programmed since the box was made (the 32-bit number of the
  // ProgramFlash reply).
  uint32_t program_checksum() const { return program_checksum_; }

 private:
  using Bytes = std::vector<uint8_t>;

  // What happens once a reply has been sent.
  struct AfterReply {
    std::optional<uint32_t> rate;
    bool start_firmware = false;
  };
  struct Scheduled {
    bool pending = false;
    uint64_t at_us = 0;
    AfterReply change;
  };

  uint64_t Microseconds(uint32_t tick);
  void ReceiveHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint64_t start_us);
  uint64_t LineTimeUs(size_t bytes, uint32_t baud) const;
  void ApplyScheduled(uint64_t now_us);
  void TakeByte(uint8_t byte, uint64_t arrival_us, uint32_t baud);
  void WatchForWakeUp(uint8_t byte);
  void HandleFrame(const Bytes& message, uint64_t arrival_us, uint32_t baud);
  // The reply's content, or nullopt for a request the loader does not understand.
  std::optional<Bytes> Execute(uint8_t opcode, const Bytes& payload);
  Bytes SetSpeed(const Bytes& payload);
  Bytes ReadMemory(const Bytes& payload) const;
  Bytes EraseFlashSector(const Bytes& payload);
  Bytes ProgramFlash(const Bytes& payload);
  Bytes SetLogicAccess(const Bytes& payload);
  Bytes ReadFuseRow(const Bytes& payload) const;
  Bytes ProgramFuseRow(const Bytes& payload);
  Bytes ReadUes() const;
  Bytes WriteUes(const Bytes& payload);
  Bytes EraseLogic();
  void SendReply(uint8_t request_header0, uint8_t opcode, Bytes content, uint64_t ready_us);
  bool Chance(double probability);
  uint32_t ProcessingMs(uint8_t opcode) const;
  bool Dead() const;

  FlashMemory flash_;
  LogicDevice logic_;
  uint16_t loader_version_ = kDefaultLoaderVersion;
  std::string serial_ = kDefaultSerial;
  Faults faults_;
  RandomFaults random_;
  std::mt19937 rng_{1};

  uint32_t listen_rate_ = kDefaultRate;
  bool in_firmware_ = false;
  bool saw_wake_first_ = false;
  bool awaiting_final_ping_ = false;
  bool line_timing_ = true;
  uint32_t processing_ms_ = 0;
  std::map<uint8_t, uint32_t> processing_ms_by_opcode_;
  FrameReceiver receiver_;
  AfterReply after_reply_;
  Scheduled scheduled_;

  // Time: the 32-bit tick unwrapped, and when the receive and send sides of the line are free.
  bool have_tick_ = false;
  uint32_t last_tick_ = 0;
  uint64_t tick_wraps_ = 0;
  uint64_t rx_free_us_ = 0;
  uint64_t tx_free_us_ = 0;
  std::vector<TimedByteUs> output_;

  std::vector<LoggedRequest> log_;
  int requests_handled_ = 0;
  int ignored_frames_ = 0;
  uint64_t state_version_ = 0;
  uint32_t program_checksum_ = 0;
};

}  // namespace zelvo::sim
