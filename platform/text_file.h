#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace zelvo::platform {

// Raised when reading a file fails for another reason than its end: the platform's file
// exception, which the callers above let pass to whoever can report it.
class FileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text file opened for reading, read line by line in text mode:
// - a carriage return directly before a line feed is dropped (any other carriage return stays);
// - a byte 0x1A ends the file;
// - ReadString yields the next line up to and including its line feed, cut after `maxChars`
//   characters when it is longer; the rest comes with the next read.
class TextFile {
 public:
  TextFile() = default;
  ~TextFile() { Close(); }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Opens an existing file read-only. Reports failure by its result, never by an exception.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // The file's length in bytes, taken when it was opened.
  uint64_t GetLength() const { return length_; }
  // The byte offset in the file after what has been read so far.
  uint64_t GetPosition() const { return position_; }
  // False at the end of the file (nothing left to read). Throws FileException on a read error.
  bool ReadString(std::string& line, size_t maxChars);
  // Whether the open file has changed since it was opened, so that what has been read may be
  // part old and part new: its length or its modification time differ from what they were then,
  // or the bytes read so far are no longer the bytes at the start of the file (it was cut short,
  // extended or written over in place, however quickly). A file that was replaced by another one
  // or deleted has not changed for this reader, which goes on reading the file it opened. True
  // also when the file can no longer be examined.
  bool ChangedSinceOpen() const;
  void Close();

 private:
  int RawByte();   // EOF at the end; throws on a read error
  int NextByte();  // -1 at the end
  int PeekByte();

  std::FILE* file_ = nullptr;
  uint64_t length_ = 0;
  int64_t modified_seconds_ = 0;
  long modified_nanoseconds_ = 0;
  uint64_t position_ = 0;
  uint64_t read_hash_ = 0;  // of the `position_` bytes read so far
  bool ended_ = false;
  std::string path_;
};

}  // namespace zelvo::platform
