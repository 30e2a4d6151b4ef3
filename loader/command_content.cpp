#include "loader/command_content.h"

#include "link/request_exchange.h"

namespace zelvo::loader_detail {
namespace {

uint8_t request_buffer[kMaxRequestContent];
uint8_t reply_buffer[kFrameCapacity];

}  // namespace

uint8_t* RequestBuffer() {
  return request_buffer;
}
uint8_t* MutableReplyBuffer() {
  return reply_buffer;
}
size_t RequestCapacity() {
  return sizeof request_buffer;
}
size_t ReplyCapacity() {
  return sizeof reply_buffer;
}

Request& Request::Byte(uint8_t value) {
  // A request never grows past the buffer; one that would is refused by its command first.
  if (length_ < sizeof request_buffer) request_buffer[length_++] = value;
  return *this;
}

Request& Request::Bytes(const uint8_t* data, size_t count) {
  for (size_t i = 0; i < count; ++i) Byte(data[i]);
  return *this;
}

Request& Request::Text(const std::string& text, size_t count) {
  for (size_t i = 0; i < count; ++i) Byte(i < text.size() ? static_cast<uint8_t>(text[i]) : '0');
  return *this;
}

int Request::Send(uint32_t extraMs) const {
  return Exchange(request_buffer, length_, reply_buffer, sizeof reply_buffer, extraMs);
}

uint8_t Reply::Byte() {
  return position_ < sizeof reply_buffer ? reply_buffer[position_++] : 0;
}

std::string Reply::Text(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text.push_back(static_cast<char>(Byte()));
  return text;
}

}  // namespace zelvo::loader_detail
