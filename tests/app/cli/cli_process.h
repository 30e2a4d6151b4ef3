#pragma once

// Runs the built zelvogdb-cli and zelvo9-sim programs as child processes, as a user's shell
// would, with a hang guard on every wait.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace zelvo::cli::testing {

// A bound against a program that hangs; no test comes near it when all is well.
constexpr int kHangGuardMs = 30000;

// The environment of this process with `overrides` set (an empty value removes a variable).
inline std::vector<std::string> EnvironmentWith(
    const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (overrides.count(name) == 0) env.push_back(entry);
  }
  for (const auto& [name, value] : overrides) {
    if (!value.empty()) env.push_back(name + "=" + value);
  }
  return env;
}

inline std::vector<char*> CStrings(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The zelvo9-sim program serving one simulated box on a pty.
class SimProcess {
 public:
  SimProcess() = default;
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;
  ~SimProcess() { Stop(); }

  // Starts the program with `args`; returns the pty path from its first line ("" on failure).
  std::string Start(std::vector<std::string> args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    args.insert(args.begin(), ZELVO9_SIM_PATH);
    std::vector<char*> argv = CStrings(args);
    int failed = posix_spawn(&pid_, ZELVO9_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
    if (failed != 0) {
      pid_ = -1;
      return "";
    }
    std::string line;
    char c = 0;
    pollfd p{out_, POLLIN, 0};
    while (poll(&p, 1, kHangGuardMs) == 1 && read(out_, &c, 1) == 1 && c != '\n') line += c;
    path_ = line;
    return line;
  }

  // Ends the program as a user would (SIGTERM); it saves its state file on the way out.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      for (int waited = 0; waited < kHangGuardMs; waited += 10) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) break;
        usleep(10'000);
        if (waited + 10 >= kHangGuardMs) {
          kill(pid_, SIGKILL);
          waitpid(pid_, &status, 0);
        }
      }
      pid_ = -1;
    }
    if (out_ >= 0) close(out_);
    out_ = -1;
  }

  const std::string& path() const { return path_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string path_;
};

struct CliRun {
  int exit_code = -1;  // -1: killed by a signal or by the hang guard
  std::string out;
  std::string err;
};

// Runs zelvogdb-cli with `args` and the environment `env` (EnvironmentWith), its stdin on
// /dev/null unless `stdin_fd` is given, and its stdout on a pipe unless `stdout_fd` is given
// (then `out` stays empty and the caller reads that fd). Waits for it to end.
inline CliRun RunCli(std::vector<std::string> args, std::vector<std::string> env, int stdin_fd = -1,
                     int stdout_fd = -1) {
  CliRun run;
  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdin_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, stdout_fd >= 0 ? stdout_fd : out_pipe[1],
                                   STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
  args.insert(args.begin(), ZELVOGDB_CLI_PATH);
  std::vector<char*> argv = CStrings(args);
  std::vector<char*> envp = CStrings(env);
  pid_t pid = -1;
  int failed = posix_spawn(&pid, ZELVOGDB_CLI_PATH, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (failed != 0) {
    close(out_pipe[0]);
    close(err_pipe[0]);
    return run;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangGuardMs);
  int fds[2] = {out_pipe[0], err_pipe[0]};
  std::string* texts[2] = {&run.out, &run.err};
  while (fds[0] >= 0 || fds[1] >= 0) {
    pollfd polled[2];
    int n = 0;
    int which[2];
    for (int i = 0; i < 2; ++i) {
      if (fds[i] < 0) continue;
      polled[n] = {fds[i], POLLIN, 0};
      which[n++] = i;
    }
    if (std::chrono::steady_clock::now() > deadline || poll(polled, n, 1000) < 0) {
      kill(pid, SIGKILL);
      break;
    }
    for (int k = 0; k < n; ++k) {
      if (polled[k].revents == 0) continue;
      char buffer[4096];
      ssize_t got = read(fds[which[k]], buffer, sizeof buffer);
      if (got > 0) {
        texts[which[k]]->append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[which[k]]);
        fds[which[k]] = -1;
      }
    }
  }
  for (int fd : fds) {
    if (fd >= 0) close(fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace zelvo::cli::testing
