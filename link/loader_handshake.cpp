#include "link/loader_handshake.h"

#include "link/frame_codec.h"
#include "link/request_exchange.h"
#include "link/serial_channel.h"

namespace zelvo {
namespace {

constexpr uint8_t kPing[] = {0x00, 0x01, 0x01};
constexpr uint8_t kWakeUp[] = {0xDB, 0xDE};
constexpr uint32_t kHandshakeTimeoutMs = 200;
constexpr uint32_t kPauseMs = 300;
constexpr int kPingReplyLength = 3;
constexpr int kSetSpeedReplyLength = 7;

uint8_t handshake_reply[kFrameCapacity];

// One ping try at `rate`: rate, wake-up bytes, pause, ping, reply of exactly 3 bytes.
bool PingTry(uint32_t rate) {
  bool ok = SerialChannel::SetRate(rate) == 0;
  if (ok) ok = SerialChannel::Write(kWakeUp, sizeof kWakeUp) == 0;
  BusyWait(kPauseMs);
  if (ok) ok = SendFrame(kPing, sizeof kPing) == 0;
  if (!ok) return false;
  return ReceiveFrame(handshake_reply, kFrameCapacity, kHandshakeTimeoutMs) == kPingReplyLength;
}

int Handshake(uint32_t rate) {
  int top = 4;
  if (SerialChannel::SetRate(SpeedTable[4]) != 0) top = 3;
  if (rate > SpeedTable[top]) rate = SpeedTable[top];

  if (PingTry(rate)) return 0;

  bool found = false;
  for (int i = 0; i <= top && !found; ++i) found = PingTry(SpeedTable[i]);
  if (!found) return kNoValidReply;

  const uint8_t set_speed[] = {0x00,
                               0x05,
                               0x03,
                               static_cast<uint8_t>(rate >> 24),
                               static_cast<uint8_t>(rate >> 16),
                               static_cast<uint8_t>(rate >> 8),
                               static_cast<uint8_t>(rate)};
  if (SendFrame(set_speed, sizeof set_speed) != 0) return kPortUnavailable;
  if (ReceiveFrame(handshake_reply, kFrameCapacity, kHandshakeTimeoutMs) != kSetSpeedReplyLength) {
    return kPortUnavailable;
  }
  BusyWait(kPauseMs);

  uint32_t confirmed = (uint32_t{handshake_reply[3]} << 24) | (uint32_t{handshake_reply[4]} << 16) |
                       (uint32_t{handshake_reply[5]} << 8) | uint32_t{handshake_reply[6]};
  bool ok = SerialChannel::SetRate(confirmed) == 0;
  if (ok) ok = SendFrame(kPing, sizeof kPing) == 0;
  if (ok) {
    ok = ReceiveFrame(handshake_reply, kFrameCapacity, kHandshakeTimeoutMs) == kPingReplyLength;
  }
  return ok ? 0 : kFinalPingFailed;
}

}  // namespace

int ConnectChannel(const std::string& name, uint32_t rate) {
  int rc = SerialChannel::Open(name);
  if (rc != 0) return rc;
  rc = Handshake(rate);
  if (rc != 0) {
    SerialChannel::ClosePort();
    return rc;
  }
  ResetExchange();
  SerialChannel::SetOpenFlag(1);
  return 0;
}

int OpenLoaderLink(int portIndex, int speedIndex) {
  return ConnectChannel(PortDeviceName(portIndex), RateForSpeedIndex(speedIndex));
}

}  // namespace zelvo
