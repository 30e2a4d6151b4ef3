#pragma once

#include <string>

#include "platform/serial_device.h"

namespace zelvo::cli {

// The link knows its ports by index (COM1 is 0 ... COM19 is 18) and maps each COM name to a
// device path (platform/port_names.h). A --port value of a COM name gives its index; a device
// path is put under COM1: the front end sets ZELVO_COM1 to it in its own environment (its
// children's too), so the link opens exactly that path.
//
// Returns the port index for `port`, or -1 when it is neither form; sets ZELVO_COM1 for a path.
int ChoosePort(const std::string& port);

// The device path that the link opens for `port_index` (-1 and other indices outside the
// list: empty).
std::string DevicePathForPortIndex(int port_index);

// What a user can do about a Connect that failed, from what the link knows:
// - a port index outside COM1 to COM19 (none selected);
// - the reason the last open of the port failed (no such port; another program holds it; no
//   permission, with the dialout group), with the system's own words from `open_detail`;
// - a port that opened but no loader answered on, or a box that answered with loader
//   version 0 (`no_box`: the dialog said "There is no ZELVO9 connected!").
std::string ConnectFailureCause(int port_index, const std::string& device_path,
                                platform::OpenError open_error, const std::string& open_detail,
                                bool no_box);

}  // namespace zelvo::cli
