#include "platform/binary_archive.h"

#include <algorithm>

namespace zelvo::platform {
namespace {

constexpr uint8_t kLongPrefix = 0xFF;
constexpr uint16_t kWidePrefix = 0xFFFE;
constexpr uint16_t kHugePrefix = 0xFFFF;
// A string from a stream of unknown length is read in pieces of this size, so that a prefix
// promising gigabytes costs no more memory than the bytes that actually follow it.
constexpr size_t kPieceSize = 64 * 1024;

[[noreturn]] void Throw(ArchiveException::Cause cause, const std::string& what) {
  throw ArchiveException(cause, what);
}

}  // namespace

BinaryArchive::BinaryArchive(std::ostream& out) : mode_(Mode::kStore), out_(&out) {}

BinaryArchive::BinaryArchive(std::istream& in) : mode_(Mode::kLoad), in_(&in) {
  std::istream::pos_type start = in.tellg();
  if (start == std::istream::pos_type(-1)) {
    in.clear(in.rdstate() & ~std::ios::failbit);
    return;
  }
  in.seekg(0, std::ios::end);
  std::istream::pos_type end = in.tellg();
  in.seekg(start);
  if (end == std::istream::pos_type(-1) || !in) {
    in.clear();
    in.seekg(start);
    return;
  }
  remaining_ = end >= start ? static_cast<uint64_t>(end - start) : 0;
}

std::optional<uint64_t> BinaryArchive::Remaining() const {
  return remaining_;
}

void BinaryArchive::Put(const void* data, size_t count) {
  if (!IsStoring()) Throw(ArchiveException::Cause::kWrongMode, "store on a loading archive");
  out_->write(static_cast<const char*>(data), static_cast<std::streamsize>(count));
  if (!*out_) Throw(ArchiveException::Cause::kWriteFailed, "cannot write to the archive");
}

void BinaryArchive::Require(uint64_t count) const {
  if (remaining_ && count > *remaining_) {
    Throw(ArchiveException::Cause::kEndOfFile, "read past the end of the archive");
  }
}

void BinaryArchive::Get(void* data, size_t count) {
  if (!IsLoading()) Throw(ArchiveException::Cause::kWrongMode, "load on a storing archive");
  Require(count);
  in_->read(static_cast<char*>(data), static_cast<std::streamsize>(count));
  if (static_cast<size_t>(in_->gcount()) != count) {
    if (in_->eof()) Throw(ArchiveException::Cause::kEndOfFile, "read past the end of the archive");
    Throw(ArchiveException::Cause::kReadFailed, "cannot read from the archive");
  }
  if (remaining_) *remaining_ -= count;
}

void BinaryArchive::WriteUint8(uint8_t value) {
  Put(&value, 1);
}

void BinaryArchive::WriteUint16(uint16_t value) {
  uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Put(bytes, sizeof bytes);
}

void BinaryArchive::WriteUint32(uint32_t value) {
  uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                      static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  Put(bytes, sizeof bytes);
}

void BinaryArchive::WriteString(std::string_view text) {
  if (!IsStoring()) Throw(ArchiveException::Cause::kWrongMode, "store on a loading archive");
  // The format counts in 32 bits; a longer text cannot be stored, and cutting it would lose data.
  if (text.size() > UINT32_MAX) Throw(ArchiveException::Cause::kWriteFailed, "string too long");
  size_t length = text.size();
  if (length < kLongPrefix) {
    WriteUint8(static_cast<uint8_t>(length));
  } else if (length < kWidePrefix) {
    WriteUint8(kLongPrefix);
    WriteUint16(static_cast<uint16_t>(length));
  } else {
    WriteUint8(kLongPrefix);
    WriteUint16(kHugePrefix);
    WriteUint32(static_cast<uint32_t>(length));
  }
  Put(text.data(), length);
}

uint8_t BinaryArchive::ReadUint8() {
  uint8_t value = 0;
  Get(&value, 1);
  return value;
}

uint16_t BinaryArchive::ReadUint16() {
  uint8_t bytes[2];
  Get(bytes, sizeof bytes);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t BinaryArchive::ReadUint32() {
  uint8_t bytes[4];
  Get(bytes, sizeof bytes);
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint32_t BinaryArchive::ReadLengthAfter(uint8_t first) {
  if (first < kLongPrefix) return first;
  uint16_t word = ReadUint16();
  if (word < kHugePrefix) return word;
  return ReadUint32();
}

std::string BinaryArchive::ReadString() {
  uint8_t first = ReadUint8();
  if (first == kLongPrefix) {
    uint16_t word = ReadUint16();
    if (word == kWidePrefix) return ReadWideCharacters(ReadLengthAfter(ReadUint8()));
    if (word < kHugePrefix) return ReadNarrowCharacters(word);
    return ReadNarrowCharacters(ReadUint32());
  }
  return ReadNarrowCharacters(first);
}

std::string BinaryArchive::ReadNarrowCharacters(uint32_t count) {
  Require(count);
  std::string text;
  size_t left = count;
  while (left > 0) {
    size_t piece = std::min(left, kPieceSize);
    size_t at = text.size();
    text.resize(at + piece);
    Get(text.data() + at, piece);
    left -= piece;
  }
  return text;
}

std::string BinaryArchive::ReadWideCharacters(uint32_t count) {
  Require(uint64_t{count} * 2);
  std::string text;
  uint8_t buffer[2 * 1024];
  size_t left = count;
  while (left > 0) {
    size_t piece = std::min(left, sizeof buffer / 2);
    Get(buffer, piece * 2);
    for (size_t i = 0; i < piece; ++i) {
      unsigned character = buffer[2 * i] | (buffer[2 * i + 1] << 8);
      text.push_back(character <= 0xFF ? static_cast<char>(character) : '?');
    }
    left -= piece;
  }
  return text;
}

}  // namespace zelvo::platform
