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

// The zelvo9-sim program, started for a test: the simulated box on a pseudo-terminal of its own.
// Killed when the object goes, should the test not have stopped it.
class SimProcess {
 public:
  // A bound against a program that hangs; nothing waits for it to pass.
  static constexpr int kHangGuardMs = 10000;

  SimProcess() = default;
  ~SimProcess() {
    Kill();
    if (out_ >= 0) ::close(out_);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts `program` with `args`; returns the device path it prints on its first line, or an
  // empty text when it does not start.
  std::string Start(const std::string& program, std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int failed = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (out_ >= 0) ::close(out_);
    out_ = fds[0];
    if (failed != 0) {
      pid_ = -1;
      return "";
    }
    std::string line;
    char c = 0;
    pollfd p{out_, POLLIN, 0};
    while (::poll(&p, 1, kHangGuardMs) == 1 && ::read(out_, &c, 1) == 1 && c != '\n') {
      line.push_back(c);
    }
    return line;
  }

  // Waits for the program to end, after sending `signal` (0: none); its exit status, or -1 when
  // it was killed by a signal or did not end in time.
  int Stop(int signal) {
    if (pid_ <= 0) return -1;
    if (signal != 0) ::kill(pid_, signal);
    int status = 0;
    for (int waited = 0; waited < kHangGuardMs; waited += 10) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      ::usleep(10'000);
    }
    return -1;
  }

  // Ends the program at once, as a pulled plug would, and waits for it.
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

}  // namespace zelvo::testing
