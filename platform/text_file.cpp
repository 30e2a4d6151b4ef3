#include "platform/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zelvo::platform {
namespace {

// FNV-1a, 64 bits: enough to tell bytes read from bytes written over them.
constexpr uint64_t kHashStart = 0xCBF29CE484222325ull;
constexpr uint64_t kHashPrime = 0x100000001B3ull;

uint64_t HashByte(uint64_t hash, unsigned char byte) {
  return (hash ^ byte) * kHashPrime;
}

}  // namespace

bool TextFile::Open(const std::string& path) {
  Close();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return false;
  }
  file_ = file;
  length_ = static_cast<uint64_t>(info.st_size);
  modified_seconds_ = info.st_mtim.tv_sec;
  modified_nanoseconds_ = info.st_mtim.tv_nsec;
  position_ = 0;
  read_hash_ = kHashStart;
  ended_ = false;
  path_ = path;
  return true;
}

bool TextFile::ChangedSinceOpen() const {
  if (file_ == nullptr) return false;
  int fd = fileno(file_);
  struct stat info {};
  if (fstat(fd, &info) != 0) return true;
  if (static_cast<uint64_t>(info.st_size) != length_ || info.st_mtim.tv_sec != modified_seconds_ ||
      info.st_mtim.tv_nsec != modified_nanoseconds_) {
    return true;
  }
  // The clock that stamps files is coarse: a change made within a few milliseconds of the
  // opening may leave the time as it was. The bytes themselves tell. pread leaves the position
  // of the stream alone.
  uint64_t hash = kHashStart;
  unsigned char buffer[16 * 1024];
  for (uint64_t at = 0; at < position_;) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, position_ - at));
    ssize_t got = pread(fd, buffer, want, static_cast<off_t>(at));
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      return true;
    }
    for (ssize_t i = 0; i < got; ++i) hash = HashByte(hash, buffer[i]);
    at += static_cast<uint64_t>(got);
  }
  return hash != read_hash_;
}

void TextFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

int TextFile::RawByte() {
  int c = std::getc(file_);
  if (c == EOF && std::ferror(file_)) {
    throw FileException("cannot read " + path_ + ": " + std::strerror(errno));
  }
  return c;
}

int TextFile::NextByte() {
  if (ended_) return -1;
  int c = RawByte();
  if (c == EOF || c == 0x1A) {
    ended_ = true;
    return -1;
  }
  ++position_;
  read_hash_ = HashByte(read_hash_, static_cast<unsigned char>(c));
  return c;
}

int TextFile::PeekByte() {
  if (ended_) return -1;
  int c = RawByte();
  if (c == EOF) return -1;
  std::ungetc(c, file_);
  return c == 0x1A ? -1 : c;
}

bool TextFile::ReadString(std::string& line, size_t maxChars) {
  line.clear();
  if (file_ == nullptr) return false;
  while (line.size() < maxChars) {
    int c = NextByte();
    if (c < 0) break;
    if (c == '\r' && PeekByte() == '\n') continue;  // CR LF reads as LF
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

}  // namespace zelvo::platform
