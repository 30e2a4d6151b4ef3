#include "link/frame_codec.h"

#include <vector>

#include "link/line_trace.h"
#include "link/serial_channel.h"

namespace zelvo {

int SendFrame(const uint8_t* message, size_t n) {
  std::vector<uint8_t> frame;
  frame.reserve(2 * n + 6);
  frame.push_back(kDle);
  frame.push_back(kStx);
  uint8_t check = 0;
  for (size_t i = 0; i < n; ++i) {
    uint8_t b = message[i];
    frame.push_back(b);
    check ^= b;
    if (b == kDle) frame.push_back(b);
  }
  frame.push_back(kDle);
  frame.push_back(kEtx);
  frame.push_back(check);
  if (check == kDle) frame.push_back(check);
  return SerialChannel::Write(frame.data(), frame.size());
}

namespace {

int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) {
  uint8_t b = 0;
  int rc = 0;
  // Hunt for DLE STX. The byte after a lone DLE is dropped with it, never taken as a new DLE.
  for (;;) {
    if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
    if (b != kDle) continue;
    if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
    if (b == kStx) break;
  }
  size_t count = 0;
  uint8_t check = 0;
  for (;;) {
    if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
    if (b == kDle) {
      if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
      if (b == kEtx) break;
      if (b != kDle) return kFrameEscape;
    }
    if (count >= capacity) return kFrameOverflow;
    buffer[count++] = b;
    check ^= b;
  }
  if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
  if (b == kDle) {
    if ((rc = SerialChannel::ReadByte(timeoutMs, b)) != 0) return rc;
    if (b != kDle) return kFrameEscape;
  }
  if (b != check) return kFrameCheck;
  return static_cast<int>(count);
}

}  // namespace

int ReceiveFrame(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) {
  int result = Receive(buffer, capacity, timeoutMs);
  if (result >= 0) {
    TraceLine(LineTraceEvent::Kind::kFrameReceived, buffer, static_cast<size_t>(result), 0);
  } else {
    TraceLine(LineTraceEvent::Kind::kReceiveFailed, nullptr, 0, result);
  }
  return result;
}

}  // namespace zelvo
