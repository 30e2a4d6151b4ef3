#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelvo::sim {

// The box's own framing of its line: DLE STX, the message with every DLE doubled, DLE ETX and
// the XOR of the message bytes as check byte (doubled when it is DLE). The box writes this
// itself; it shares no code with the host's link, so a fault in one cannot hide one in the other.
inline constexpr uint8_t kFrameDle = 0x10;
inline constexpr uint8_t kFrameStx = 0x02;
inline constexpr uint8_t kFrameEtx = 0x03;

// The most message bytes the box's receive buffer holds (header included).
inline constexpr size_t kBoxFrameCapacity = 1500;

// Encodes `message` as one frame. `check_flip` is XOR-ed into the check byte after it has been
// computed (0 for an honest frame); a corrupted check byte is still escaped correctly.
std::vector<uint8_t> EncodeBoxFrame(const std::vector<uint8_t>& message, uint8_t check_flip = 0);

// The box's receiver, fed one byte at a time as the bytes come off the line.
//
// It hunts for DLE STX, collects the body, and checks the XOR. Anything wrong (a DLE followed by
// another byte than DLE or ETX, a bad check byte, more than kBoxFrameCapacity bytes) makes the
// frame bad; the receiver then hunts again. A DLE STX inside a body starts a fresh frame, so a
// frame cut short by line trouble does not swallow the next good one.
class FrameReceiver {
 public:
  enum class Event {
    kNone,      // the byte was taken; no frame has ended
    kFrame,     // a good frame has ended; message() holds it until the next Feed
    kBadFrame,  // a frame in progress has been given up
  };

  Event Feed(uint8_t byte);
  const std::vector<uint8_t>& message() const { return message_; }
  // Forgets any frame in progress and hunts again.
  void Reset();
  bool hunting() const { return state_ == State::kHunt; }

 private:
  enum class State { kHunt, kAfterDle, kBody, kBodyDle, kCheck, kCheckDle };

  void StartBody();
  Event Finish(uint8_t check);

  State state_ = State::kHunt;
  std::vector<uint8_t> message_;
  uint8_t check_ = 0;
};

}  // namespace zelvo::sim
