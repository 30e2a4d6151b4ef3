#include "platform/exe_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace zelvo::platform {
namespace {

std::string& TestingDirectory() {
  static std::string directory;
  return directory;
}

std::string WithTrailingSlash(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory.push_back('/');
  return directory;
}

}  // namespace

std::string ExecutablePath() {
  // readlink does not tell the length of a target that did not fit: grow until it does.
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<size_t>(length));
    }
    if (buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExecutableDirectory() {
  if (!TestingDirectory().empty()) return TestingDirectory();
  const char* fromEnvironment = std::getenv("ZELVO_UPDATE_DIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
    return WithTrailingSlash(fromEnvironment);
  }
  std::string path = ExecutablePath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

void SetExecutableDirectoryForTesting(const std::string& directory) {
  TestingDirectory() = WithTrailingSlash(directory);
}

}  // namespace zelvo::platform
