// The frame receiver fed any byte stream from the far end of an in-process line, on a virtual
// clock: ReceiveFrame with a small and with the full capacity, against an independent reading
// of the framing rules, and Exchange with replies made of the same bytes.
//
// Input: a flags byte (bit 0: Exchange instead of ReceiveFrame; bit 1: the port vanishes once
// the stream has been read, instead of going quiet; bits 2-7: milliseconds between bytes, less
// one), a capacity byte (0: the full 1500, else 0 to 31), a timing byte (ReceiveFrame: which of
// four per-byte timeouts; Exchange: the command's allowance in 4 ms steps), a rate byte (an
// index into SpeedTable), and for Exchange a request length byte (255: one byte too many) and
// the request's content. The rest is what the far end sends: for ReceiveFrame all at once; for
// Exchange one chunk after each request written, the chunks split at the bytes A5 5A.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "link/frame_codec.h"
#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "platform/inprocess_serial_line.h"
#include "platform/tick_clock.h"

namespace zelvo::fuzz {
namespace {

constexpr const char* kLinePath = "/zelvo-fuzz/line";
constexpr uint8_t kUntouched = 0xA5;
constexpr size_t kGuardBytes = 64;
constexpr uint32_t kStartTick = 0xFFFFF000;   // close to the tick counter's wrap
constexpr uint32_t kReadGranularityMs = 220;  // at most two 110 ms reads past any deadline
constexpr std::string_view kChunkSeparator = "\xA5\x5A";

using Bytes = std::vector<uint8_t>;

// The far end: hands out its bytes `spacing` ms apart, either all from the start or one chunk
// after each write of the host, and, when told to, pulls the plug once everything has arrived.
class StreamPeer final : public platform::LinePeer {
 public:
  StreamPeer(std::vector<std::string> chunks, uint32_t spacing, bool per_write)
      : chunks_(std::move(chunks)), spacing_(spacing), per_write_(per_write) {}

  void Start(uint32_t tick) {
    if (!per_write_ && !chunks_.empty()) Queue(chunks_[next_++], tick + 1);
  }
  void UnplugAtEnd(platform::InProcessSerialLine* line) { line_ = line; }
  uint32_t last_tick() const { return last_tick_; }
  size_t bytes_sent() const { return bytes_sent_; }

  void OnHostBytes(const uint8_t*, size_t, uint32_t, uint32_t start) override {
    if (per_write_ && next_ < chunks_.size()) Queue(chunks_[next_++], start + 1);
  }
  void TakeOutput(std::vector<platform::TimedByte>& out) override {
    out.insert(out.end(), out_.begin(), out_.end());
    out_.clear();
    if (line_ != nullptr && static_cast<int32_t>(platform::TickCount() - last_tick_) > 0) {
      line_->Unplug();
    }
  }

 private:
  void Queue(const std::string& chunk, uint32_t tick) {
    // A chunk never overtakes the bytes still on their way.
    if (bytes_sent_ > 0 && static_cast<int32_t>(last_tick_ + spacing_ - tick) > 0) {
      tick = last_tick_ + spacing_;
    }
    for (size_t i = 0; i < chunk.size(); ++i) {
      last_tick_ = tick + static_cast<uint32_t>(i) * spacing_;
      out_.push_back({last_tick_, static_cast<uint8_t>(chunk[i])});
    }
    bytes_sent_ += chunk.size();
  }

  std::vector<std::string> chunks_;
  uint32_t spacing_;
  bool per_write_;
  size_t next_ = 0;
  std::vector<platform::TimedByte> out_;
  uint32_t last_tick_ = kStartTick;
  size_t bytes_sent_ = 0;
  platform::InProcessSerialLine* line_ = nullptr;
};

// The framing rules read once more, on the whole stream: the code ReceiveFrame must give, the
// message on success, and how many bytes it takes to get there.
struct Received {
  int code = 0;
  Bytes message;
  size_t consumed = 0;
};

Received ReferenceReceive(std::string_view stream, size_t capacity, int end_code) {
  Received out;
  size_t at = 0;
  auto next = [&](uint8_t& b) {
    if (at == stream.size()) return false;
    b = static_cast<uint8_t>(stream[at++]);
    return true;
  };
  auto finish = [&](int code) {
    out.code = code;
    out.consumed = at;
    return out;
  };
  uint8_t b = 0;
  for (;;) {  // hunt: DLE STX, the byte after a lone DLE dropped with it
    if (!next(b)) return finish(end_code);
    if (b != kDle) continue;
    if (!next(b)) return finish(end_code);
    if (b == kStx) break;
  }
  uint8_t check = 0;
  for (;;) {
    if (!next(b)) return finish(end_code);
    if (b == kDle) {
      if (!next(b)) return finish(end_code);
      if (b == kEtx) break;
      if (b != kDle) return finish(kFrameEscape);
    }
    if (out.message.size() == capacity) return finish(kFrameOverflow);
    out.message.push_back(b);
    check ^= b;
  }
  if (!next(b)) return finish(end_code);
  if (b == kDle) {  // a check byte of 0x10 comes doubled
    if (!next(b)) return finish(end_code);
    if (b != kDle) return finish(kFrameEscape);
  }
  if (b != check) return finish(kFrameCheck);
  return finish(static_cast<int>(out.message.size()));
}

Bytes Framed(const Bytes& message) {
  Bytes frame = {kDle, kStx};
  uint8_t check = 0;
  for (uint8_t b : message) {
    frame.push_back(b);
    if (b == kDle) frame.push_back(b);
    check ^= b;
  }
  frame.insert(frame.end(), {kDle, kEtx, check});
  if (check == kDle) frame.push_back(check);
  return frame;
}

std::vector<std::string> SplitChunks(std::string_view rest) {
  std::vector<std::string> chunks;
  for (;;) {
    size_t at = rest.find(kChunkSeparator);
    chunks.emplace_back(rest.substr(0, at));
    if (at == std::string_view::npos) return chunks;
    rest.remove_prefix(at + kChunkSeparator.size());
  }
}

void FuzzReceiveFrame(FuzzInput& input, uint8_t flags, size_t capacity, uint8_t timing) {
  static constexpr uint32_t kTimeouts[4] = {200, 1, 340, 2316};
  const uint32_t timeout = kTimeouts[timing & 3];
  const uint32_t spacing = 1u + (flags >> 2);
  const bool unplug = (flags & 2) != 0;
  std::string stream = input.Rest();

  platform::VirtualClock clock(kStartTick);
  platform::ScopedTickSource ticks(clock);
  StreamPeer peer({stream}, spacing, false);
  platform::InProcessSerialLine line(peer);
  line.Register(kLinePath);
  if (unplug) peer.UnplugAtEnd(&line);
  ZELVO_FUZZ_CHECK(SerialChannel::Open(kLinePath) == 0);
  peer.Start(clock.Now());

  Bytes buffer(capacity + kGuardBytes, kUntouched);
  const uint32_t start = clock.Now();
  int result = ReceiveFrame(buffer.data(), capacity, timeout);
  const uint32_t elapsed = clock.Now() - start;
  SerialChannel::ClosePort();

  Received expected = ReferenceReceive(stream, capacity, unplug ? kPortFailed : kReadTimeout);
  ZELVO_FUZZ_CHECK(result == expected.code);
  ZELVO_FUZZ_CHECK(result <= static_cast<int>(capacity));
  for (size_t i = capacity; i < buffer.size(); ++i) ZELVO_FUZZ_CHECK(buffer[i] == kUntouched);
  if (result >= 0) {
    ZELVO_FUZZ_CHECK(std::equal(expected.message.begin(), expected.message.end(), buffer.begin()));
  }
  // Time: a byte is taken when it arrives; only the wait after the last one costs a deadline.
  const uint32_t reading = static_cast<uint32_t>(expected.consumed) * spacing;
  if (result == kReadTimeout || result == kPortFailed) {
    ZELVO_FUZZ_CHECK(elapsed >= timeout || result == kPortFailed);
    ZELVO_FUZZ_CHECK(elapsed <= reading + timeout + kReadGranularityMs);
  } else {
    ZELVO_FUZZ_CHECK(elapsed <= reading);
  }
}

void FuzzExchange(FuzzInput& input, size_t capacity, uint8_t timing, uint32_t rate,
                  uint32_t spacing) {
  const uint32_t extra_ms = uint32_t{timing} * 4;
  uint8_t length_byte = input.Byte();
  size_t n = length_byte == 255 ? kMaxRequestContent + 1 : length_byte;
  std::string given = input.Take(std::min<size_t>(n, 255));
  Bytes content(given.begin(), given.end());
  content.resize(n, 0x10);  // a long request: DLE bytes, each doubled on the line
  std::vector<std::string> chunks = SplitChunks(input.Rest());

  platform::VirtualClock clock(kStartTick);
  platform::ScopedTickSource ticks(clock);
  StreamPeer peer(chunks, spacing, true);
  platform::InProcessSerialLine line(peer);
  line.Register(kLinePath);
  ZELVO_FUZZ_CHECK(SerialChannel::Open(kLinePath) == 0);
  ZELVO_FUZZ_CHECK(SerialChannel::SetRate(rate) == 0);
  ResetExchange();
  SerialChannel::SetOpenFlag(1);
  line.ClearLog();

  Bytes reply(capacity + kGuardBytes, kUntouched);
  const uint32_t start = clock.Now();
  int result = Exchange(content.data(), n, reply.data(), capacity, extra_ms);
  const uint32_t elapsed = clock.Now() - start;
  CloseLink();

  if (n > kMaxRequestContent) {
    ZELVO_FUZZ_CHECK(result == kRequestTooLong);
    ZELVO_FUZZ_CHECK(line.writes().empty());
    return;
  }
  ZELVO_FUZZ_CHECK(result == kNoValidReply || result == kReplyTooLong ||
                   (result >= 0 && result <= static_cast<int>(capacity)));
  // Every attempt purges first and sends the same frame: header (length, sequence 0, flag) and
  // content.
  Bytes message = {static_cast<uint8_t>((n >> 8) | kExchangeFlag), static_cast<uint8_t>(n & 0xFF)};
  message.insert(message.end(), content.begin(), content.end());
  const Bytes frame = Framed(message);
  ZELVO_FUZZ_CHECK(!line.writes().empty() && line.writes().size() <= 3);
  ZELVO_FUZZ_CHECK(line.purges() == static_cast<int>(line.writes().size()));
  for (const auto& write : line.writes()) ZELVO_FUZZ_CHECK(write.bytes == frame);
  if (result == kNoValidReply) ZELVO_FUZZ_CHECK(line.writes().size() == 3);
  // Nothing is copied past the reply, and nothing at all when it does not fit.
  size_t copied = result >= 0 ? static_cast<size_t>(result) : 0;
  for (size_t i = copied; i < reply.size(); ++i) ZELVO_FUZZ_CHECK(reply[i] == kUntouched);
  // Three attempts, each ending at most one deadline (and the read granularity) after the last
  // byte the far end sent.
  const uint32_t timeout = ReplyTimeout(n, rate, extra_ms);
  const uint64_t bound = 3ull * (timeout + kReadGranularityMs) +
                         uint64_t{peer.bytes_sent()} * spacing + 3ull * spacing;
  ZELVO_FUZZ_CHECK(elapsed <= bound);
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  fuzz::FuzzInput input(data, size);
  uint8_t flags = input.Byte();
  uint8_t capacity_byte = input.Byte();
  uint8_t timing = input.Byte();
  uint8_t rate_byte = input.Byte();
  size_t capacity = capacity_byte == 0 ? kFrameCapacity : capacity_byte % 32;
  if ((flags & 1) == 0) {
    fuzz::FuzzReceiveFrame(input, flags, capacity, timing);
  } else {
    fuzz::FuzzExchange(input, capacity, timing, SpeedTable[rate_byte % 5], 1u + (flags >> 2));
  }
  return 0;
}
