#include "platform/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/tick_clock.h"

namespace zelvo::platform {
namespace {

constexpr int kReadBoundMs = 110;

OpenError ErrorFromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return OpenError::kPermission;
    case EBUSY:
    case EWOULDBLOCK:
      return OpenError::kBusy;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return OpenError::kNotFound;
    default:
      return OpenError::kNotSerial;
  }
}

speed_t StandardSpeed(uint32_t baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(int fd) : fd_(fd) {}
  ~PosixSerialDevice() override { ::close(fd_); }

  bool SetRate(uint32_t baud) override {
    speed_t standard = StandardSpeed(baud);
    if (standard != B0) {
      termios tio{};
      if (tcgetattr(fd_, &tio) != 0) return false;
      cfsetispeed(&tio, standard);
      cfsetospeed(&tio, standard);
      return tcsetattr(fd_, TCSANOW, &tio) == 0;
    }
    return SetArbitraryRate(fd_, baud);
  }

  long Write(const uint8_t* data, size_t count) override {
    uint32_t start = TickCount();
    uint32_t bound = static_cast<uint32_t>(10 * count + 100);
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::write(fd_, data + done, count - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        NoteFailure(errno);
        return done > 0 ? static_cast<long>(done) : -1;
      }
      uint32_t spent = TickCount() - start;
      if (spent >= bound) break;
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, static_cast<int>(bound - spent));
      if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
        NoteFailure(EIO);
        return done > 0 ? static_cast<long>(done) : -1;
      }
    }
    return static_cast<long>(done);
  }

  Read ReadOne(uint8_t& byte) override {
    // Bytes already taken from the driver come first; they arrived before anything still in it.
    if (next_ < filled_) {
      byte = input_[next_++];
      return Read::kByte;
    }
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, kReadBoundMs);
    if (ready < 0) return errno == EINTR ? Read::kNothing : Fail(errno);
    if (ready == 0) return Read::kNothing;
    if (p.revents & POLLIN) {
      // Take whatever has arrived in one call, not a byte per call: a reply comes in bursts.
      ssize_t n = ::read(fd_, input_, sizeof input_);
      if (n > 0) {
        filled_ = static_cast<size_t>(n);
        next_ = 1;
        byte = input_[0];
        return Read::kByte;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return Read::kNothing;
      return Fail(n == 0 ? EIO : errno);
    }
    // Hang-up or error without data: the device has gone (a pty whose other side closed, a
    // pulled USB adapter). Wait out the bound, as a quiet line would, so callers never spin.
    TickSource& ticks = Ticks();
    ticks.Sleep(kReadBoundMs);
    return Fail(EIO);
  }

  bool ClearError() override { return !gone_; }

  void PurgeReceive() override {
    next_ = filled_ = 0;
    tcflush(fd_, TCIFLUSH);
  }

 private:
  Read Fail(int err) {
    NoteFailure(err);
    return Read::kFailed;
  }
  void NoteFailure(int err) {
    if (err == EIO || err == ENXIO || err == ENODEV || err == EBADF) gone_ = true;
  }

  int fd_;
  bool gone_ = false;
  // Received bytes taken from the driver but not yet delivered: input_[next_] to input_[filled_).
  uint8_t input_[256];
  size_t next_ = 0;
  size_t filled_ = 0;
};

}  // namespace

OpenResult OpenPosixSerialDevice(const std::string& path) {
  OpenResult result;
  auto fail = [&](OpenError error, int fd) {
    result.error = error;
    result.detail = DescribeOpenError(error) + " (" + path + ": " + std::strerror(errno) + ")";
    if (fd >= 0) ::close(fd);
    return std::move(result);
  };

  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(ErrorFromErrno(errno), -1);
  // TIOCEXCL keeps other opens out, except a privileged one; the lock keeps out every program
  // that locks as we do, root included.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(OpenError::kBusy, fd);
  if (::ioctl(fd, TIOCEXCL) != 0) return fail(OpenError::kNotSerial, fd);

  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return fail(OpenError::kNotSerial, fd);
  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail(OpenError::kNotSerial, fd);

  // DTR and RTS off where the device has modem lines; a pty has none, which is fine.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIC, &lines);

  result.device = std::make_unique<PosixSerialDevice>(fd);
  return result;
}

}  // namespace zelvo::platform
