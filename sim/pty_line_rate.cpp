// Only the kernel's termios2 interface lives in this file: <asm/termbits.h> cannot be combined
// with the C library's <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "sim/pty_line_rate.h"

namespace zelvo::sim {

uint32_t PtyLineRate(int fd) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
  return tio.c_ospeed;
}

}  // namespace zelvo::sim
