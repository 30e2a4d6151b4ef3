#include "app/cli/parallel_run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "app/cli/exit_codes.h"
#include "app/cli/json_text.h"
#include "app/cli/progress_board.h"
#include "app/cli/summary_table.h"
#include "app/cli/terminal_question.h"
#include "platform/dialog_feedback.h"

extern char** environ;

namespace zelvo::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStdout = 0;
constexpr int kStderr = 1;

// One box's process and what has come from it so far.
struct Child {
  std::string port;
  pid_t pid = -1;
  int fds[2] = {-1, -1};   // its stdout and stderr, read ends
  std::string pending[2];  // the part of a line that has no line end yet
  BoxResult result;
  bool have_result = false;
  Clock::time_point started;
  int wait_status = 0;
  std::string spawn_error;
};

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool Spawn(Child& child, const std::string& program, const std::vector<std::string>& args) {
  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
    child.spawn_error = std::string("cannot make a pipe: ") + std::strerror(errno);
    for (int& fd : out_pipe) CloseFd(fd);
    for (int& fd : err_pipe) CloseFd(fd);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);

  std::vector<std::string> argv_text = args;
  argv_text.insert(argv_text.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);

  child.started = Clock::now();
  int failed = ::posix_spawn(&child.pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  CloseFd(out_pipe[1]);
  CloseFd(err_pipe[1]);
  if (failed != 0) {
    child.pid = -1;
    child.spawn_error = "cannot start " + program + ": " + std::strerror(failed);
    CloseFd(out_pipe[0]);
    CloseFd(err_pipe[0]);
    return false;
  }
  child.fds[kStdout] = out_pipe[0];
  child.fds[kStderr] = err_pipe[0];
  return true;
}

uint32_t MillisecondsSince(Clock::time_point start) {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Follows the children's output and shows it.
class Follower {
 public:
  Follower(RunStreams& streams, std::vector<Child>& children)
      : streams_(streams),
        children_(children),
        board_(streams.out, streams.mode == OutputMode::kTerminal, Ports(children),
               streams.columns) {}

  void Begin() {
    if (streams_.mode != OutputMode::kJson) board_.Begin();
  }

  void StdoutLine(size_t box, const std::string& line) {
    std::optional<JsonObject> event = ParseJsonObject(line);
    if (streams_.mode == OutputMode::kJson) {
      if (event) {
        streams_.out << line << '\n';
      } else {
        streams_.out << JsonLine()
                            .Add("event", "note")
                            .Add("port", children_[box].port)
                            .Add("text", line)
                            .Text()
                     << '\n';
      }
      streams_.out.flush();
    }
    if (!event) {
      if (streams_.mode != OutputMode::kJson) board_.Line(box, line);
      return;
    }
    const std::string kind = JsonString(*event, "event");
    const std::string text = JsonString(*event, "text");
    if (kind == "result") {
      BoxResult& r = children_[box].result;
      r.passed = JsonTrue(*event, "passed");
      r.exit_code = static_cast<int>(JsonInteger(*event, "exit_code", kExitFailed));
      r.status = JsonString(*event, "status");
      r.cause = JsonString(*event, "cause");
      r.serial_number = JsonString(*event, "serial_number", r.serial_number);
      children_[box].have_result = true;
      return;
    }
    if (kind == "identity") {
      children_[box].result.serial_number = JsonString(*event, "serial_number");
      return;
    }
    if (streams_.mode == OutputMode::kJson) return;
    if (kind == "status") {
      board_.Status(box, text);
    } else if (kind == "message") {
      board_.Line(box, MessageLine(JsonString(*event, "caption"), text));
    } else if (kind == "question") {
      board_.Line(box, MessageLine(JsonString(*event, "caption"), text) + " " +
                           JsonString(*event, "answer") + " (" + JsonString(*event, "by") + ")");
    } else if (kind == "note") {
      board_.Line(box, text);
    }
  }

  void StderrLine(size_t box, const std::string& line) {
    streams_.err << children_[box].port << ": " << line << '\n';
    streams_.err.flush();
  }

  void Finished(size_t box) {
    if (streams_.mode != OutputMode::kJson) board_.Status(box, ResultCell(children_[box].result));
  }

 private:
  static std::vector<std::string> Ports(const std::vector<Child>& children) {
    std::vector<std::string> ports;
    for (const Child& c : children) ports.push_back(c.port);
    return ports;
  }

  RunStreams& streams_;
  std::vector<Child>& children_;
  ProgressBoard board_;
};

// Takes the complete lines out of `pending` after `count` new bytes.
template <class OnLine>
void TakeLines(std::string& pending, const char* bytes, size_t count, OnLine on_line) {
  pending.append(bytes, count);
  size_t start = 0;
  for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
    on_line(pending.substr(start, end - start));
  }
  pending.erase(0, start);
}

// A child that ended without telling its result.
void FillMissingResult(Child& child) {
  if (child.have_result) return;
  BoxResult& r = child.result;
  r.passed = false;
  r.exit_code = kExitFailed;
  if (!child.spawn_error.empty()) {
    r.cause = child.spawn_error;
  } else if (WIFEXITED(child.wait_status)) {
    int status = WEXITSTATUS(child.wait_status);
    if (status != kExitPassed) r.exit_code = status;
    r.cause = "the run ended without a result (exit status " + std::to_string(status) + ")";
  } else if (WIFSIGNALED(child.wait_status)) {
    r.cause = "the run was ended by signal " + std::to_string(WTERMSIG(child.wait_status));
  } else {
    r.cause = "the run ended without a result";
  }
}

}  // namespace

std::vector<std::string> ChildArguments(const CliOptions& options, const std::string& port) {
  std::vector<std::string> args = {CommandName(options.command), "--port=" + port, "--json"};
  if (options.speed_index) args.push_back("--speed=" + std::to_string(*options.speed_index));
  if (!options.settings_file.empty()) args.push_back("--settings=" + options.settings_file);
  // The "=" form keeps a value that begins with '-' a value.
  if (options.box_ip_address) args.push_back("--ip=" + *options.box_ip_address);
  if (options.subnet_mask) args.push_back("--mask=" + *options.subnet_mask);
  if (options.default_gateway) args.push_back("--gateway=" + *options.default_gateway);
  if (options.config_host_ip_address) {
    args.push_back("--config-host=" + *options.config_host_ip_address);
  }
  if (options.config_file_name) args.push_back("--config-file=" + *options.config_file_name);
  if (options.yes) args.push_back("--yes");
  if (options.verify) args.push_back("--verify");
  if (options.trace) args.push_back("--trace");
  return args;
}

int RunBoxesInParallel(const CliOptions& options, RunStreams& streams, const std::string& program) {
  CliOutput own(streams.out, streams.mode, "", streams.elapsed_ms, streams.columns);
  CliOptions child_options = options;

  if (options.command == CliCommand::kErase && !options.yes) {
    std::string ports;
    for (const std::string& p : options.ports) ports += (ports.empty() ? "" : ", ") + p;
    own.Note("Erasing " + std::to_string(options.ports.size()) + " boxes: " + ports);
    TerminalQuestion question(false, streams.stdin_is_terminal, streams.in,
                              streams.mode == OutputMode::kJson ? streams.err : streams.out);
    const std::string text = "Erase Flash and EPLD?";
    QuestionReply reply = question.Ask(text);
    if (!reply.asked_on_terminal || streams.mode == OutputMode::kJson) {
      own.Question(text, platform::kApplicationTitle, reply.answer, reply.how);
    }
    if (reply.answer != platform::MessageAnswer::kYes) {
      own.Note("Nothing was erased: the question was answered No.");
      if (streams.mode == OutputMode::kJson) {
        streams.out << JsonLine()
                           .Add("event", "summary")
                           .Add("boxes", static_cast<int>(options.ports.size()))
                           .Add("passed", 0)
                           .Add("exit_code", kExitFailed)
                           .Text()
                    << '\n';
      }
      return kExitFailed;
    }
    child_options.yes = true;
  }
  if (options.command == CliCommand::kTransmit) {
    own.Note("Every box gets the same network values, its box IP address included.");
  }

  std::vector<Child> children(options.ports.size());
  for (size_t i = 0; i < children.size(); ++i) {
    children[i].port = options.ports[i];
    children[i].result.port = options.ports[i];
    children[i].result.command =
        options.command_name.empty() ? CommandName(options.command) : options.command_name;
  }
  Follower follower(streams, children);
  follower.Begin();
  for (Child& child : children) {
    if (!Spawn(child, program, ChildArguments(child_options, child.port))) {
      FillMissingResult(child);
    }
  }

  for (;;) {
    std::vector<pollfd> polled;
    std::vector<std::pair<size_t, int>> owners;  // (box, stream) of each polled fd
    for (size_t box = 0; box < children.size(); ++box) {
      for (int s : {kStdout, kStderr}) {
        if (children[box].fds[s] < 0) continue;
        polled.push_back({children[box].fds[s], POLLIN, 0});
        owners.emplace_back(box, s);
      }
    }
    if (polled.empty()) break;
    if (::poll(polled.data(), polled.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (size_t k = 0; k < polled.size(); ++k) {
      if (polled[k].revents == 0) continue;
      auto [box, s] = owners[k];
      Child& child = children[box];
      char buffer[4096];
      ssize_t n = ::read(child.fds[s], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      auto on_line = [&, box = box, s = s](const std::string& line) {
        if (s == kStdout) {
          follower.StdoutLine(box, line);
        } else {
          follower.StderrLine(box, line);
        }
      };
      if (n > 0) {
        TakeLines(child.pending[s], buffer, static_cast<size_t>(n), on_line);
        continue;
      }
      // The end of this stream: a last line without its line end still counts.
      if (!child.pending[s].empty()) on_line(child.pending[s]);
      child.pending[s].clear();
      CloseFd(child.fds[s]);
      if (child.fds[kStdout] < 0 && child.fds[kStderr] < 0 && child.pid > 0) {
        while (::waitpid(child.pid, &child.wait_status, 0) < 0 && errno == EINTR) {
        }
        child.result.elapsed_ms = MillisecondsSince(child.started);
        child.pid = -1;
        FillMissingResult(child);
        follower.Finished(box);
      }
    }
  }

  std::vector<BoxResult> results;
  for (Child& child : children) {
    FillMissingResult(child);
    results.push_back(child.result);
  }
  int exit_code = CombinedExitCode(results);
  if (streams.mode == OutputMode::kJson) {
    int passed = 0;
    for (const BoxResult& r : results) passed += r.passed ? 1 : 0;
    streams.out << JsonLine()
                       .Add("event", "summary")
                       .Add("ms", streams.elapsed_ms ? streams.elapsed_ms() : 0u)
                       .Add("boxes", static_cast<int>(results.size()))
                       .Add("passed", passed)
                       .Add("exit_code", exit_code)
                       .Text()
                << '\n';
  } else {
    streams.out << '\n' << FormatSummaryTable(results);
  }
  streams.out.flush();
  return exit_code;
}

}  // namespace zelvo::cli
