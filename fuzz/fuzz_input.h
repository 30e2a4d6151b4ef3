#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo::fuzz {

// Takes the fuzzer's bytes apart, front to back. Once they run out every read gives 0, so a
// target never reads outside the input however short it is.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  uint16_t Word() {
    uint16_t high = Byte();
    return static_cast<uint16_t>((high << 8) | Byte());
  }
  // Up to `count` bytes, fewer when the input ends first.
  std::string Take(size_t count) {
    size_t n = count < Left() ? count : Left();
    std::string bytes(reinterpret_cast<const char*>(data_ + position_), n);
    position_ += n;
    return bytes;
  }
  std::string Rest() { return Take(Left()); }
  size_t Left() const { return size_ - position_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace zelvo::fuzz
