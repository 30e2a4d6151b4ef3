// Only the kernel's termios2 interface lives in this file: <asm/termbits.h> cannot be combined
// with the C library's <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "platform/posix_serial_device.h"

namespace zelvo::platform {

bool SetArbitraryRate(int fd, unsigned baud) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  tio.c_cflag &= ~CBAUD;
  tio.c_cflag |= BOTHER;
  tio.c_cflag &= ~(CBAUD << IBSHIFT);
  tio.c_cflag |= BOTHER << IBSHIFT;
  tio.c_ispeed = baud;
  tio.c_ospeed = baud;
  if (ioctl(fd, TCSETS2, &tio) != 0) return false;
  // A driver may round the rate; one that cannot come close enough has refused it.
  struct termios2 check {};
  if (ioctl(fd, TCGETS2, &check) != 0) return false;
  unsigned got = check.c_ospeed;
  unsigned diff = got > baud ? got - baud : baud - got;
  return diff * 50 <= baud;  // within 2 %
}

}  // namespace zelvo::platform
