#include "platform/serial_device.h"

#include <map>

#include "platform/posix_serial_device.h"

namespace zelvo::platform {
namespace {

std::map<std::string, InProcessOpener>& Registry() {
  static std::map<std::string, InProcessOpener> registry;
  return registry;
}

}  // namespace

OpenResult OpenSerialDevice(const std::string& path) {
  auto found = Registry().find(path);
  if (found != Registry().end()) return found->second();
  return OpenPosixSerialDevice(path);
}

void RegisterInProcessDevice(const std::string& path, InProcessOpener open) {
  Registry()[path] = std::move(open);
}

void UnregisterInProcessDevice(const std::string& path) {
  Registry().erase(path);
}

std::string DescribeOpenError(OpenError error) {
  switch (error) {
    case OpenError::kNone:
      return "";
    case OpenError::kNotFound:
      return "the port does not exist (is the adapter plugged in?)";
    case OpenError::kBusy:
      return "the port is in use by another program";
    case OpenError::kPermission:
      return "no permission to open the port (add your user to the dialout group)";
    case OpenError::kNotSerial:
      return "the device is not a serial port or refuses the line settings";
  }
  return "";
}

}  // namespace zelvo::platform
