#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelvo::platform {

// Raised by a BinaryArchive that cannot go on: the platform's archive exception. Serialize
// functions let it pass; whoever opened the file catches it and reports it.
class ArchiveException : public std::runtime_error {
 public:
  enum class Cause {
    kEndOfFile,    // a read past the end, or a length prefix promising more than is left
    kReadFailed,   // the stream failed for another reason than its end
    kWriteFailed,  // the stream refused bytes
    kWrongMode,    // a store on a loading archive, or a load on a storing one
  };

  ArchiveException(Cause cause, const std::string& what)
      : std::runtime_error(what), cause_(cause) {}
  Cause cause() const { return cause_; }

 private:
  Cause cause_;
};

// A document's binary archive: either storing into a stream or loading from one. Numbers are
// little-endian. A string is a length prefix and then its characters, one byte each:
//   - length 0 to 254: one byte;
//   - 255 to 65533: the byte FF, then the length as a 16-bit number;
//   - 65534 or more: FF, the 16-bit number FFFF, then the length as a 32-bit number.
// A loading archive also accepts the wide form: FF, the 16-bit number FFFE, then a second prefix
// as above with the count of 16-bit characters, then those characters little-endian. Each one is
// turned into one 8-bit character: 0x0000 to 0x00FF become the byte of the same value (the 8-bit
// code page of this system is taken as Latin-1), and every character above 0x00FF, which has no
// 8-bit form, becomes '?'.
//
// A loading archive knows how many bytes its stream holds (from its position at construction to
// its end, when the stream can seek) and refuses a read past them with ArchiveException
// (kEndOfFile) before it allocates anything for a string; on a stream that cannot seek a string
// is read in pieces, so memory grows only with the bytes actually there.
class BinaryArchive {
 public:
  enum class Mode { kStore, kLoad };

  // An archive that stores into `out`.
  explicit BinaryArchive(std::ostream& out);
  // An archive that loads from `in`, from its current position on.
  explicit BinaryArchive(std::istream& in);
  BinaryArchive(const BinaryArchive&) = delete;
  BinaryArchive& operator=(const BinaryArchive&) = delete;

  bool IsStoring() const { return mode_ == Mode::kStore; }
  bool IsLoading() const { return mode_ == Mode::kLoad; }

  void WriteUint8(uint8_t value);
  void WriteUint16(uint16_t value);
  void WriteUint32(uint32_t value);
  void WriteString(std::string_view text);

  uint8_t ReadUint8();
  uint16_t ReadUint16();
  uint32_t ReadUint32();
  std::string ReadString();

  // Bytes left to load, when the stream told its length.
  std::optional<uint64_t> Remaining() const;

  BinaryArchive& operator<<(uint16_t value) {
    WriteUint16(value);
    return *this;
  }
  BinaryArchive& operator<<(uint32_t value) {
    WriteUint32(value);
    return *this;
  }
  BinaryArchive& operator<<(std::string_view text) {
    WriteString(text);
    return *this;
  }
  BinaryArchive& operator>>(uint16_t& value) {
    value = ReadUint16();
    return *this;
  }
  BinaryArchive& operator>>(uint32_t& value) {
    value = ReadUint32();
    return *this;
  }
  BinaryArchive& operator>>(std::string& text) {
    text = ReadString();
    return *this;
  }

 private:
  void Put(const void* data, size_t count);
  void Get(void* data, size_t count);
  // Fails with kEndOfFile unless `count` more bytes are there to read (when that is known).
  void Require(uint64_t count) const;
  // The length of a narrow prefix whose first byte has been read.
  uint32_t ReadLengthAfter(uint8_t first);
  std::string ReadNarrowCharacters(uint32_t count);
  std::string ReadWideCharacters(uint32_t count);

  Mode mode_;
  std::ostream* out_ = nullptr;
  std::istream* in_ = nullptr;
  std::optional<uint64_t> remaining_;
};

}  // namespace zelvo::platform
