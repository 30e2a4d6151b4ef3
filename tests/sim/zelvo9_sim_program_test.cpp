// Runs the built zelvo9-sim program and talks to it through its pty as a host would.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sim/box_wire.h"

extern char** environ;

namespace zelvo::sim {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A bound against a program that hangs; no test waits for it to pass.
constexpr int kHangGuardMs = 10000;

class SimProcess {
 public:
  ~SimProcess() {
    if (host_ >= 0) close(host_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }

  // Starts the program; returns its first line of output.
  std::string Start(std::vector<std::string> args) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    args.insert(args.begin(), ZELVO9_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int failed = posix_spawn(&pid_, ZELVO9_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    out_ = pipe_fds[0];
    if (failed != 0) {
      pid_ = -1;
      return "";
    }
    std::string line;
    char c = 0;
    while (ReadyWithin(out_) && read(out_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }

  // Opens the pty as a host does: raw, 8N1, at `speed`.
  bool OpenHost(const std::string& path, speed_t speed) {
    host_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (host_ < 0) return false;
    termios tio{};
    if (tcgetattr(host_, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(host_, TCSANOW, &tio) == 0;
  }

  // Writes a frame and reads until one whole reply frame has come.
  std::vector<Bytes> Ask(const Bytes& message) {
    Bytes frame = testing::Framed(message);
    if (write(host_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return {};
    Bytes line;
    std::vector<Bytes> replies;
    uint8_t buffer[512];
    while (replies.empty() && ReadyWithin(host_)) {
      ssize_t n = read(host_, buffer, sizeof buffer);
      if (n <= 0) break;
      line.insert(line.end(), buffer, buffer + n);
      replies = testing::Unframe(line);
    }
    return replies;
  }

  // True once the host side reads end of file or the hang-up of the pty.
  bool HostSeesHangUp() {
    uint8_t byte = 0;
    while (ReadyWithin(host_)) {
      if (read(host_, &byte, 1) <= 0) return true;
    }
    return false;
  }

  // Sends `signal` (0: none) and returns the exit status, or -1 if it did not exit normally.
  int Stop(int signal) {
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    for (int waited = 0; waited < kHangGuardMs; waited += 10) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10'000);
    }
    return -1;
  }

  std::string RestOfOutput() {
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while (ReadyWithin(out_) && (n = read(out_, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    return text;
  }

 private:
  static bool ReadyWithin(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kHangGuardMs) == 1;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int host_ = -1;
};

const Bytes kPing = {0x00, 0x01, 0x01};

TEST(SimProgram, AnswersAPingOnItsPtyAndEndsCleanlyOnSigterm) {
  SimProcess sim;
  std::string path = sim.Start({});
  ASSERT_THAT(path, ::testing::StartsWith("/dev/pts/"));
  ASSERT_TRUE(sim.OpenHost(path, B9600));
  EXPECT_THAT(sim.Ask(kPing), ElementsAre(kPing));
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

TEST(SimProgram, ListensAtTheRateItWasGivenAndStopsOnSigint) {
  SimProcess sim;
  std::string path = sim.Start({"--rate", "19200", "--pace"});
  ASSERT_TRUE(sim.OpenHost(path, B19200));
  EXPECT_THAT(sim.Ask(kPing), ElementsAre(kPing));
  EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(SimProgram, ClosesThePtyAfterItsLastRequest) {
  SimProcess sim;
  std::string path = sim.Start({"--exit-after-requests", "1"});
  ASSERT_TRUE(sim.OpenHost(path, B9600));
  EXPECT_THAT(sim.Ask(kPing), ElementsAre(kPing));
  EXPECT_TRUE(sim.HostSeesHangUp());
  EXPECT_EQ(sim.Stop(0), 0);
}

TEST(SimProgram, KeepsWhatWasProgrammedForTheNextRun) {
  std::string state = ::testing::TempDir() + "zelvo9_sim_program_" + std::to_string(getpid());
  std::remove(state.c_str());
  const Bytes program = {'h', 0x01, 0x00, 0x80, 0x00, 0x00, 0x02, 0x12, 0x34};
  const Bytes read = {'e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x02};
  {
    SimProcess sim;
    ASSERT_TRUE(sim.OpenHost(sim.Start({"--state", state}), B9600));
    std::vector<Bytes> replies = sim.Ask(testing::ExchangeMessage(program));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][3], 0) << "status";
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.OpenHost(sim.Start({"--state", state}), B9600));
    EXPECT_THAT(
        sim.Ask(testing::ExchangeMessage(read)),
        ElementsAre(ElementsAre(0x10, 0x09, 'e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x02, 0x12, 0x34)));
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
  }
  std::remove(state.c_str());
}

TEST(SimProgram, HelpListsTheOptions) {
  SimProcess sim;
  std::string text = sim.Start({"--help"});
  text += '\n';
  text += sim.RestOfOutput();
  EXPECT_EQ(sim.Stop(0), 0);
  EXPECT_THAT(text, HasSubstr("--refuse-rate"));
  EXPECT_THAT(text, HasSubstr("--exit-after-requests"));
}

}  // namespace
}  // namespace zelvo::sim
