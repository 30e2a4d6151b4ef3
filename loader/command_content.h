#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelvo::loader_detail {

// The module-wide request buffer and reply buffer shared by every loader command.
uint8_t* RequestBuffer();
uint8_t* MutableReplyBuffer();
size_t RequestCapacity();
size_t ReplyCapacity();

// Builds a request content in the request buffer, field by field (numbers big-endian).
class Request {
 public:
  explicit Request(uint8_t opcode) { Byte(opcode); }
  Request& Byte(uint8_t value);
  Request& Word(uint16_t value) { return Byte(value >> 8).Byte(value & 0xFF); }
  Request& Long(uint32_t value) { return Word(value >> 16).Word(value & 0xFFFF); }
  Request& Bytes(const uint8_t* data, size_t count);
  // Exactly `count` characters of `text`; missing ones are sent as '0'.
  Request& Text(const std::string& text, size_t count);
  // Sends it through the exchange: the reply's length, or the exchange's negative code.
  int Send(uint32_t extraMs) const;

 private:
  size_t length_ = 0;
};

// Reads fields out of the reply buffer from a position on (numbers big-endian). The caller has
// checked the reply's length first.
class Reply {
 public:
  explicit Reply(size_t position = 0) : position_(position) {}
  uint8_t Byte();
  uint16_t Word() {
    uint16_t high = Byte();
    return static_cast<uint16_t>((high << 8) | Byte());
  }
  uint32_t Long() {
    uint32_t high = Word();
    return (high << 16) | Word();
  }
  std::string Text(size_t count);

 private:
  size_t position_;
};

}  // namespace zelvo::loader_detail
