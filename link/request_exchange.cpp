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
  // Whether this box echoes the request's sequence number in its replies: learnt from replies
  // that carry the exchange flag and the right number for two different numbers.
  uint8_t echoed_numbers = 0;  // one bit per sequence number seen echoed
  bool echoes_sequence = false;
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
  ExchangeState& st = State();
  st.sequence = 0;
  st.flag = kExchangeFlag;
  st.echoed_numbers = 0;
  st.echoes_sequence = false;
}

namespace {

uint8_t SequenceOf(uint8_t header0) {
  return header0 >> 6;
}

// Learns from an accepted reply whether the box echoes sequence numbers.
void NoteEcho(ExchangeState& st, uint8_t header0, uint8_t sequence) {
  if (st.echoes_sequence) return;
  if ((header0 & kExchangeFlag) != 0 && SequenceOf(header0) == sequence) {
    st.echoed_numbers |= static_cast<uint8_t>(1u << sequence);
    st.echoes_sequence = (st.echoed_numbers & (st.echoed_numbers - 1)) != 0;
  } else {
    st.echoed_numbers = 0;
  }
}

}  // namespace

int Exchange(const uint8_t* content, size_t n, uint8_t* replyOut, size_t capacity,
             uint32_t extraMs) {
  if (SerialChannel::OpenFlag() == 0) return kNotConnected;
  if (n > kMaxRequestContent) return kRequestTooLong;

  ExchangeState& st = State();
  const uint8_t sequence = st.sequence % 4;
  st.send[0] = static_cast<uint8_t>((n >> 8) | (sequence << 6) | st.flag);
  st.send[1] = static_cast<uint8_t>(n & 0xFF);
  ++st.sequence;
  if (n > 0) std::memcpy(st.send + 2, content, n);

  int received = -1;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    SerialChannel::PurgeReceive();
    if (SendFrame(st.send, n + 2) != 0) continue;
    uint32_t timeout = ReplyTimeout(n, SerialChannel::CurrentRate(), extraMs);
    int r = ReceiveFrame(st.receive, kFrameCapacity, timeout);
    // A box that echoes sequence numbers tells a late reply to an earlier request (one that came
    // after its deadline, when the retry was answered too) from the reply to this one: the late
    // one is passed over instead of being taken for this request's answer.
    for (int late = 0;
         r >= 2 && st.echoes_sequence && SequenceOf(st.receive[0]) != sequence && late < kAttempts;
         ++late) {
      r = ReceiveFrame(st.receive, kFrameCapacity, timeout);
    }
    if (r < 2) continue;  // a failed receive, or no room for a header
    int announced = (st.receive[0] & 7) * 256 + st.receive[1];
    if (r - 2 == announced) {
      received = r;
      NoteEcho(st, st.receive[0], sequence);
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
