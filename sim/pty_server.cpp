#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/tick_clock.h"
#include "sim/box_state_file.h"
#include "sim/paced_output.h"
#include "sim/pty_line_rate.h"

namespace zelvo::sim {
namespace {

// A changed state is saved once no host byte has come for this long.
constexpr uint64_t kQuietBeforeSaveUs = 100'000;
// How long to wait before trying again to write to a host that takes nothing.
constexpr uint64_t kWriteRetryUs = 10'000;
// How long a closing box lets the host take the bytes it has already received.
constexpr uint32_t kDrainBeforeCloseMs = 2000;

volatile sig_atomic_t stop_requested = 0;

void OnStopSignal(int) {
  stop_requested = 1;
}

// Signals are blocked except while the loop waits in ppoll, so a stop request can never slip in
// between checking the flag and going to sleep.
class StopSignals {
 public:
  StopSignals() {
    stop_requested = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &old_int_);
    sigaction(SIGTERM, &action, &old_term_);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    sigprocmask(SIG_BLOCK, &block, &wait_mask_);
    sigdelset(&wait_mask_, SIGINT);
    sigdelset(&wait_mask_, SIGTERM);
  }
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, SIGINT);
    sigaddset(&unblock, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  const sigset_t* wait_mask() const { return &wait_mask_; }

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
  sigset_t wait_mask_{};
};

class Pty {
 public:
  ~Pty() { Close(); }
  bool Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return Fail("posix_openpt", error);
    if (grantpt(master_) != 0) return Fail("grantpt", error);
    if (unlockpt(master_) != 0) return Fail("unlockpt", error);
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) return Fail("ptsname", error);
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return Fail(path_, error);
    // Raw from the start: a cooked, echoing line would send the box's replies back to it before
    // the host has set the line up.
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
      cfmakeraw(&tio);
      cfsetispeed(&tio, B9600);
      cfsetospeed(&tio, B9600);
      tcsetattr(slave_, TCSANOW, &tio);
    }
    int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
      return Fail("fcntl", error);
    }
    return true;
  }
  void Close() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
  }
  int master() const { return master_; }
  int slave() const { return slave_; }
  const std::string& path() const { return path_; }

 private:
  bool Fail(const std::string& what, std::string& error) {
    error = what + ": " + std::strerror(errno);
    Close();
    return false;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// The box's time on the pty: the monotonic clock in nanoseconds and in whole microseconds.
uint64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1'000'000'000 + static_cast<uint64_t>(t.tv_nsec);
}
uint64_t NowUs() {
  return NowNs() / 1000;
}

// The wait from now until the clock reads `at_us`, to the nanosecond; zero when it is past.
timespec WaitUntil(uint64_t at_us) {
  uint64_t at_ns = at_us * 1000;
  uint64_t now_ns = NowNs();
  uint64_t wait_ns = at_ns > now_ns ? at_ns - now_ns : 0;
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(wait_ns / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(wait_ns % 1'000'000'000);
  return ts;
}

// Closing the master throws away what the host has not read yet; a pulled adapter would have
// delivered those bytes already. So wait (a bounded time) until the host's input queue is empty.
void LetHostTakeItsInput(int slave) {
  // Bytes just written to the master reach the host's queue a moment later.
  usleep(20'000);
  uint32_t start = platform::TickCount();
  int queued = 0;
  while (ioctl(slave, TIOCINQ, &queued) == 0 && queued > 0 && !stop_requested &&
         platform::TickCount() - start < kDrainBeforeCloseMs) {
    usleep(5'000);
  }
}

}  // namespace

int ServeOnPty(Box& box, const PtyServeSettings& settings, std::ostream& out, std::ostream& err) {
  StopSignals signals;
  Pty pty;
  std::string error;
  if (!pty.Open(error)) {
    err << "zelvo9-sim: cannot set up a pty: " << error << '\n';
    return 1;
  }
  out << pty.path() << '\n';
  out.flush();

  box.set_line_timing(settings.pace);
  if (settings.pace) {
    // A paced byte goes out when its time comes, not up to the kernel's default 50 us later.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  }
  // The box runs on the monotonic clock in microseconds, so the reply bytes leave at their own
  // line times rather than on the next millisecond.
  PacedOutput pending;
  std::vector<TimedByteUs> fresh;
  std::vector<uint8_t> chunk;
  uint8_t input[4096];
  uint64_t saved_version = box.state_version();
  uint64_t last_input_us = NowUs();
  bool write_blocked = false;
  int status = 0;

  auto save = [&] {
    if (settings.state_file.empty() || box.state_version() == saved_version) return true;
    std::string why;
    if (!SaveBoxState(box, settings.state_file, why)) {
      err << "zelvo9-sim: " << why << '\n';
      return false;
    }
    saved_version = box.state_version();
    return true;
  };

  while (!stop_requested) {
    uint64_t now_us = NowUs();

    // Send every byte whose time has come, in one write, once its block is complete.
    chunk.clear();
    pending.Due(now_us, chunk);
    write_blocked = false;
    if (!chunk.empty()) {
      ssize_t written = ::write(pty.master(), chunk.data(), chunk.size());
      if (written > 0) pending.Consumed(static_cast<size_t>(written));
      write_blocked = written < static_cast<ssize_t>(chunk.size());
    }

    if (settings.exit_after_requests >= 0 &&
        box.requests_handled() >= settings.exit_after_requests && pending.empty()) {
      LetHostTakeItsInput(pty.slave());
      break;
    }

    bool dirty = !settings.state_file.empty() && box.state_version() != saved_version;
    if (dirty && now_us - last_input_us >= kQuietBeforeSaveUs) {
      save();
      dirty = false;
    }

    // Sleep until input comes, the next block is complete, or the state should be saved.
    bool timed = false;
    uint64_t wake_us = 0;
    auto wake_by = [&](uint64_t at_us) {
      if (!timed || at_us < wake_us) wake_us = at_us;
      timed = true;
    };
    if (write_blocked) {
      wake_by(now_us + kWriteRetryUs);
    } else if (!pending.empty()) {
      wake_by(*pending.NextBlockAt());
    }
    if (dirty) wake_by(last_input_us + kQuietBeforeSaveUs);
    timespec ts{};
    if (timed) ts = WaitUntil(wake_us);
    pollfd p{pty.master(), static_cast<short>(POLLIN | (write_blocked ? POLLOUT : 0)), 0};
    int ready = ppoll(&p, 1, timed ? &ts : nullptr, signals.wait_mask());
    // Host bytes that woke the loop went onto the line no later than now.
    uint64_t woke_us = NowUs();
    if (ready < 0) {
      if (errno == EINTR) continue;
      err << "zelvo9-sim: poll: " << std::strerror(errno) << '\n';
      status = 1;
      break;
    }
    if (ready == 0) continue;
    if (p.revents & POLLIN) {
      ssize_t n = ::read(pty.master(), input, sizeof input);
      if (n > 0) {
        uint32_t rate = PtyLineRate(pty.slave());
        box.OnHostBytesUs(input, static_cast<size_t>(n), rate, woke_us);
        fresh.clear();
        box.TakeOutputUs(fresh);
        pending.Add(fresh);
        last_input_us = woke_us;
      }
    } else if (p.revents & (POLLHUP | POLLERR)) {
      // Cannot happen while the slave is held open; never spin on it if it does.
      usleep(10'000);
    }
  }

  pty.Close();
  if (!save()) status = 1;
  return status;
}

}  // namespace zelvo::sim
