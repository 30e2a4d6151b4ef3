#include "app/cli/port_choice.h"

#include <cstdlib>

#include "app/cli/cli_options.h"
#include "link/serial_channel.h"
#include "platform/port_names.h"

namespace zelvo::cli {
namespace {

constexpr int kPortCount = 19;

}  // namespace

int ChoosePort(const std::string& port) {
  if (std::optional<int> index = ComPortIndex(port)) return *index;
  if (!IsDevicePath(port)) return -1;
  ::setenv("ZELVO_COM1", port.c_str(), 1);
  return 0;
}

std::string DevicePathForPortIndex(int port_index) {
  if (port_index < 0 || port_index >= kPortCount) return "";
  return platform::DevicePathForPortName(PortDeviceName(port_index));
}

std::string ConnectFailureCause(int port_index, const std::string& device_path,
                                platform::OpenError open_error, const std::string& open_detail,
                                bool no_box) {
  if (port_index < 0 || port_index >= kPortCount) {
    return "no port is selected (port index " + std::to_string(port_index) +
           "): give --port COM1 to COM19 or a device path";
  }
  if (no_box) {
    return "the box on " + device_path +
           " answered with loader version 0: it is no ZELVO9 loader, or its loader is damaged";
  }
  if (open_error != platform::OpenError::kNone) {
    if (!open_detail.empty()) return open_detail;
    return platform::DescribeOpenError(open_error) + " (" + device_path + ")";
  }
  return "the port " + device_path +
         " opened, but no ZELVO9 loader answered on it: check the cable and the box's power";
}

}  // namespace zelvo::cli
