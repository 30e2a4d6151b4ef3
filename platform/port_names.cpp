#include "platform/port_names.h"

#include <cstdlib>

namespace zelvo::platform {
namespace {

PortProfileLookup& ProfileLookup() {
  static PortProfileLookup lookup;
  return lookup;
}

}  // namespace

std::optional<int> ComNumber(const std::string& name) {
  std::string rest = name;
  if (rest.rfind("\\\\.\\", 0) == 0) rest = rest.substr(4);
  if (rest.size() < 4 || rest.size() > 6 || rest.compare(0, 3, "COM") != 0) return std::nullopt;
  int number = 0;
  for (size_t i = 3; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
    number = number * 10 + (rest[i] - '0');
  }
  if (number < 1) return std::nullopt;
  return number;
}

std::string DevicePathForPortName(const std::string& name) {
  std::optional<int> number = ComNumber(name);
  if (!number) return name;
  std::string key = "COM" + std::to_string(*number);
  if (const char* env = std::getenv(("ZELVO_" + key).c_str()); env != nullptr && *env != '\0') {
    return env;
  }
  if (ProfileLookup()) {
    if (std::optional<std::string> path = ProfileLookup()(key); path && !path->empty()) {
      return *path;
    }
  }
  return "/dev/ttyS" + std::to_string(*number - 1);
}

void SetPortProfileLookup(PortProfileLookup lookup) {
  ProfileLookup() = std::move(lookup);
}

}  // namespace zelvo::platform
