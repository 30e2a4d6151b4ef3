#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zelvo::platform {

// The link names its ports as the box's tools always have: "\\.\COM1" to "\\.\COM19". On Linux
// each COM name is mapped to a device path, looked up in this order:
//  1. the environment variable ZELVO_COMn (for example ZELVO_COM1=/dev/ttyUSB0);
//  2. the profile file, section "Ports", key "COMn" (once the application has installed its
//     lookup with SetPortProfileLookup);
//  3. the default /dev/ttyS(n-1): COM1 is /dev/ttyS0, COM2 /dev/ttyS1, and so on.
// A name that is not of the COM form is taken as a device path as it stands.
std::string DevicePathForPortName(const std::string& name);

// The COM number in a name of the form "\\.\COMn" or "COMn", or nullopt.
std::optional<int> ComNumber(const std::string& name);

// Installs the profile lookup (key "COMn" → path, nullopt when the key is not there).
using PortProfileLookup = std::function<std::optional<std::string>(const std::string& key)>;
void SetPortProfileLookup(PortProfileLookup lookup);

}  // namespace zelvo::platform
