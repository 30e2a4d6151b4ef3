#pragma once

#include <cstdint>

namespace zelvo::sim {

// The output rate in baud that the terminal `fd` is set to (termios2 c_ospeed), which on a
// pseudo-terminal is the rate the host set on its side; 0 when it cannot be read.
uint32_t PtyLineRate(int fd);

}  // namespace zelvo::sim
