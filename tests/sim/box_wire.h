#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/inprocess_serial_line.h"
#include "sim/box.h"
#include "tests/support/scripted_peer.h"

namespace zelvo::sim::testing {

using Bytes = std::vector<uint8_t>;
using zelvo::testing::Framed;

// A request message as the host's exchange builds it: header (length, sequence, flag), content.
inline Bytes ExchangeMessage(const Bytes& content, uint8_t sequence = 0) {
  size_t n = content.size();
  Bytes message(n + 2);
  message[0] = static_cast<uint8_t>((n >> 8) | (sequence << 6) | 0x10);
  message[1] = static_cast<uint8_t>(n & 0xFF);
  std::copy(content.begin(), content.end(), message.begin() + 2);
  return message;
}

// The frames on a stretch of line, decoded here independently of the box's codec. Frames whose
// check byte is wrong, or that are cut short, are counted in `bad` and left out.
inline std::vector<Bytes> Unframe(const Bytes& line, int* bad = nullptr) {
  std::vector<Bytes> messages;
  size_t i = 0;
  auto next = [&](uint8_t& b) {
    if (i >= line.size()) return false;
    b = line[i++];
    return true;
  };
  uint8_t b = 0;
  while (next(b)) {
    if (b != 0x10 || !next(b) || b != 0x02) continue;
    Bytes message;
    uint8_t check = 0;
    bool ok = false;
    while (next(b)) {
      if (b == 0x10) {
        if (!next(b)) break;
        if (b == 0x03) {
          uint8_t got = 0;
          if (!next(got)) break;
          if (got == 0x10 && !(next(got) && got == 0x10)) break;
          ok = got == check;
          break;
        }
        if (b != 0x10) break;
      }
      message.push_back(b);
      check ^= b;
    }
    if (ok) {
      messages.push_back(message);
    } else if (bad != nullptr) {
      ++*bad;
    }
  }
  return messages;
}

// A box driven directly through its LinePeer side, with time kept by the test.
class BoxWire {
 public:
  Box box;
  uint32_t now = 1000;

  // Writes raw bytes at `baud` at the current tick; returns what the box sent back and moves
  // the tick past the last byte of it (or by 1 when nothing came).
  std::vector<platform::TimedByte> Send(const Bytes& raw, uint32_t baud) {
    box.OnHostBytes(raw.data(), raw.size(), baud, now);
    std::vector<platform::TimedByte> out;
    box.TakeOutput(out);
    now = out.empty() ? now + 1 : out.back().tick + 1;
    return out;
  }
  // Sends one message as a frame; returns the reply messages.
  std::vector<Bytes> Message(const Bytes& message, uint32_t baud, int* bad = nullptr) {
    return Unframe(BytesOf(Send(Framed(message), baud)), bad);
  }
  // Sends one exchange request; returns the reply messages (header included).
  std::vector<Bytes> Request(const Bytes& content, uint32_t baud = 9600, uint8_t sequence = 0) {
    return Message(ExchangeMessage(content, sequence), baud);
  }
  // The reply content (after the header) of a request that must get exactly one reply.
  Bytes Content(const Bytes& content, uint32_t baud = 9600) {
    std::vector<Bytes> replies = Request(content, baud);
    if (replies.size() != 1 || replies[0].size() < 2) return {};
    return Bytes(replies[0].begin() + 2, replies[0].end());
  }

  static Bytes BytesOf(const std::vector<platform::TimedByte>& timed) {
    Bytes bytes;
    for (const platform::TimedByte& t : timed) bytes.push_back(t.byte);
    return bytes;
  }
};

inline Bytes Be32(uint32_t v) {
  return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

inline Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace zelvo::sim::testing
