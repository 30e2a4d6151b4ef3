#include "firmware/update_files.h"

#include "platform/dir_search.h"
#include "platform/exe_dir.h"

namespace zelvo {
namespace {

// The extension of a file name, from its last point on (point included); empty when the name
// has no point.
std::string ExtensionOf(const std::string& name) {
  size_t point = name.rfind('.');
  return point == std::string::npos ? std::string() : name.substr(point);
}

}  // namespace

std::string UpdateFilePath(const std::string& stem, uint16_t version) {
  if (version == 0 || version > 255) return std::string();
  std::string directory = platform::ExecutableDirectory();
  if (directory.empty()) return std::string();
  std::string extension = {'.', static_cast<char>('0' + version / 100),
                           static_cast<char>('0' + version % 100 / 10),
                           static_cast<char>('0' + version % 10)};
  return directory + stem + extension;
}

uint16_t NewestUpdateVersion(const std::string& stem) {
  std::string directory = platform::ExecutableDirectory();
  if (directory.empty()) return 0;
  uint16_t newest = 0;
  for (const std::string& name : platform::FindMatchingEntries(directory + stem + ".???")) {
    uint16_t version = VersionFromExtension(ExtensionOf(name));
    if (version > newest) newest = version;
  }
  return newest;
}

uint16_t VersionFromExtension(const std::string& extension) {
  if (extension.size() != 4) return 0;
  uint16_t value = 0;
  for (size_t i = 1; i < 4; ++i) {
    char digit = extension[i];
    if (digit < '0' || digit > '9') return 0;
    value = static_cast<uint16_t>(value * 10 + (digit - '0'));
  }
  return value;
}

}  // namespace zelvo
