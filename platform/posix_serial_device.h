#pragma once

#include <string>

#include "platform/serial_device.h"

namespace zelvo::platform {

// The termios backend: real serial ports and pseudo-terminals.
OpenResult OpenPosixSerialDevice(const std::string& path);

// Sets any rate the driver accepts, through termios2 (BOTHER) where the standard rates do not
// cover it; false when the driver refuses. Kept apart because its kernel header clashes with
// <termios.h>.
bool SetArbitraryRate(int fd, unsigned baud);

}  // namespace zelvo::platform
