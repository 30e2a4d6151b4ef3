#include "bench/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace zelvo::bench {
namespace {

constexpr int kStopGraceMs = 5000;

uint64_t Microseconds(const timeval& t) {
  return static_cast<uint64_t>(t.tv_sec) * 1'000'000 + static_cast<uint64_t>(t.tv_usec);
}

}  // namespace

SimProcess::~SimProcess() {
  Stop();
}

bool SimProcess::Start(const std::string& program, const std::vector<std::string>& args,
                       std::string& error, int wait_ms) {
  if (running()) {
    error = "the simulator is already running";
    return false;
  }
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);

  std::vector<std::string> argv_strings;
  argv_strings.push_back(program);
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  if (spawned != 0) {
    ::close(pipe_fds[0]);
    error = "cannot start " + program + ": " + std::strerror(spawned);
    return false;
  }
  pid_ = pid;
  output_ = pipe_fds[0];

  // The first line of its output is the pty path.
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      error = program + " printed no pty path within " + std::to_string(wait_ms) + " ms";
      break;
    }
    pollfd p{output_, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char c = 0;
    ssize_t n = ::read(output_, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = program + " ended before it printed a pty path";
      break;
    }
    if (c == '\n') {
      pty_path_ = line;
      return true;
    }
    if (line.size() > 4096) {
      error = program + " printed no pty path (first line too long)";
      break;
    }
    line.push_back(c);
  }
  Stop();
  return false;
}

bool SimProcess::ReadIoCounters(uint64_t& read_bytes, uint64_t& written_bytes) const {
  if (!running()) return false;
  std::ifstream io("/proc/" + std::to_string(pid_) + "/io");
  bool have_read = false;
  bool have_written = false;
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") {
      read_bytes = value;
      have_read = true;
    } else if (key == "wchar:") {
      written_bytes = value;
      have_written = true;
    }
  }
  return have_read && have_written;
}

void SimProcess::Stop() {
  if (!running()) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  rusage usage{};
  pid_t done = 0;
  for (int waited = 0; waited < kStopGraceMs; waited += 10) {
    done = ::wait4(pid_, &status, WNOHANG, &usage);
    if (done != 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (done == 0) {
    ::kill(pid_, SIGKILL);
    done = ::wait4(pid_, &status, 0, &usage);
  }
  exit_status_ = done == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  cpu_ = {Microseconds(usage.ru_utime), Microseconds(usage.ru_stime)};
  pid_ = -1;
  if (output_ >= 0) ::close(output_);
  output_ = -1;
}

}  // namespace zelvo::bench
