#include "link/request_exchange.h"

#include <cstring>

#include "link/frame_codec.h"
#include "link/serial_channel.h"

namespace zelvo {
namespace {

// The exchange's module-wide state: one request at a time per process.
struct ExchangeState {
  uint8_t sequence = 0;
  uint8_t flag = kExchangeFlag;
  uint8_t send[kFrameCapacity] = {};
  uint8_t receive[kFrameCapacity] = {};
};

ExchangeState& State() {
  static ExchangeState state;
  return state;
}

constexpr int kAttempts = 3;

}  // namespace

uint32_t ReplyTimeout(size_t n, uint32_t rate, uint32_t extraMs) {
  if (rate == 0) rate = 1;  // never divide by zero, whatever the port reports
  uint32_t line = (static_cast<uint32_t>(n + 2 + kFrameCapacity) * 10000u) / rate;
  return line + extraMs + 200u;
}

void ResetExchange() {
  State().sequence = 0;
  State().flag = kExchangeFlag;
}

int Exchange(const uint8_t* content, size_t n, uint8_t* replyOut, size_t capacity,
             uint32_t extraMs) {
  if (SerialChannel::OpenFlag() == 0) return kNotConnected;
  if (n > kMaxRequestContent) return kRequestTooLong;

  ExchangeState& st = State();
  st.send[0] = static_cast<uint8_t>((n >> 8) | ((st.sequence % 4) << 6) | st.flag);
  st.send[1] = static_cast<uint8_t>(n & 0xFF);
  ++st.sequence;
  if (n > 0) std::memcpy(st.send + 2, content, n);

  int received = -1;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    SerialChannel::PurgeReceive();
    if (SendFrame(st.send, n + 2) != 0) continue;
    uint32_t timeout = ReplyTimeout(n, SerialChannel::CurrentRate(), extraMs);
    int r = ReceiveFrame(st.receive, kFrameCapacity, timeout);
    if (r < 2) continue;  // a failed receive, or no room for a header
    int announced = (st.receive[0] & 7) * 256 + st.receive[1];
    if (r - 2 == announced) {
      received = r;
      break;
    }
  }
  if (received < 0) return kNoValidReply;

  size_t length = static_cast<size_t>(received - 2);
  if (length > capacity) return kReplyTooLong;
  if (length > 0) std::memcpy(replyOut, st.receive + 2, length);
  return static_cast<int>(length);
}

}  // namespace zelvo
