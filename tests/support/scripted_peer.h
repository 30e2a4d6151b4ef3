#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "platform/inprocess_serial_line.h"

namespace zelvo::testing {

using Bytes = std::vector<uint8_t>;

// A far end that says exactly what a test tells it to: bytes injected at a given tick, and
// answers to the host's writes, one answer per write in order (an empty answer is silence).
// Answer bytes arrive one per millisecond, starting `answer_delay_ms` after the write.
class ScriptedPeer : public platform::LinePeer {
 public:
  void Inject(const Bytes& bytes, uint32_t first_tick) {
    for (size_t i = 0; i < bytes.size(); ++i) out_.push_back({first_tick + uint32_t(i), bytes[i]});
  }
  void AnswerWrites(std::vector<Bytes> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
  }
  // Called for every write that has no scripted answer left; its result is sent back.
  std::function<Bytes(const Bytes& written, uint32_t baud)> responder;
  uint32_t answer_delay_ms = 1;

  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override {
    Bytes written(data, data + count);
    Bytes answer;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    } else if (responder) {
      answer = responder(written, baud);
    }
    uint32_t tick = start + answer_delay_ms;
    if (!out_.empty() && out_.back().tick > tick) tick = out_.back().tick;
    Inject(answer, tick);
  }
  void TakeOutput(std::vector<platform::TimedByte>& out) override {
    out.insert(out.end(), out_.begin(), out_.end());
    out_.clear();
  }

 private:
  std::deque<Bytes> answers_;
  std::vector<platform::TimedByte> out_;
};

// A message as a frame on the line, encoded here independently of the link's own codec.
inline Bytes Framed(const Bytes& message) {
  Bytes frame = {0x10, 0x02};
  uint8_t check = 0;
  for (uint8_t b : message) {
    frame.push_back(b);
    if (b == 0x10) frame.push_back(b);
    check ^= b;
  }
  frame.push_back(0x10);
  frame.push_back(0x03);
  frame.push_back(check);
  if (check == 0x10) frame.push_back(check);
  return frame;
}

// The message inside a frame as it went on the line (DLE doubling undone); empty when the bytes
// do not start with a frame.
inline Bytes Unframed(const Bytes& frame) {
  Bytes message;
  if (frame.size() < 2 || frame[0] != 0x10 || frame[1] != 0x02) return message;
  for (size_t i = 2; i + 1 < frame.size(); ++i) {
    if (frame[i] == 0x10) {
      if (frame[i + 1] == 0x03) break;
      ++i;  // a doubled DLE
    }
    message.push_back(frame[i]);
  }
  return message;
}

// A reply message: header with the content's length, then the content.
inline Bytes Reply(const Bytes& content) {
  Bytes message = {uint8_t(content.size() >> 8), uint8_t(content.size() & 0xFF)};
  message.insert(message.end(), content.begin(), content.end());
  return message;
}

}  // namespace zelvo::testing
