#include "platform/text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace zelvo::platform {

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
  position_ = 0;
  ended_ = false;
  path_ = path;
  return true;
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
