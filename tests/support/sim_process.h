#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace zelvo::testing {

// The zelvo9-sim program running on a pty of its own, for the few tests that go through a real
// serial device. The simulator prints the pty's path on its first line; Stop ends it with
// SIGTERM and gives its exit status.
class SimProcess {
 public:
  SimProcess(const std::string& program, const std::vector<std::string>& options) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {program};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = out[0];
    if (pid_ > 0) path_ = ReadLine(5000);
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The host side's device path, empty when the simulator did not start.
  const std::string& path() const { return path_; }

  // SIGTERM, then the exit status (-1 when it did not exit normally).
  int Stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
    pid_ = -1;
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return status_;
  }

 private:
  std::string ReadLine(int timeout_ms) {
    std::string line;
    char c = 0;
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, timeout_ms) <= 0) return "";
      if (::read(out_, &c, 1) != 1) return "";
      if (c == '\n') return line;
      line.push_back(c);
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string path_;
};

}  // namespace zelvo::testing
