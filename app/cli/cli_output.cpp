#include "app/cli/cli_output.h"

#include <utility>

#include "app/cli/json_text.h"

namespace zelvo::cli {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

const char* IconName(platform::MessageIcon icon) {
  return icon == platform::MessageIcon::kExclamation ? "exclamation" : "none";
}

const char* AnswerName(platform::MessageAnswer answer) {
  switch (answer) {
    case platform::MessageAnswer::kYes:
      return "yes";
    case platform::MessageAnswer::kNo:
      return "no";
    case platform::MessageAnswer::kOk:
      return "ok";
  }
  return "";
}

}  // namespace

bool EndsAStep(const std::string& text) {
  return EndsWith(text, "passed") || EndsWith(text, "passed!") || EndsWith(text, "failed!");
}

std::optional<int> ProgressPercent(const std::string& text) {
  if (!EndsWith(text, "% )")) return std::nullopt;
  size_t open = text.rfind("( ");
  if (open == std::string::npos) return std::nullopt;
  std::string digits = text.substr(open + 2, text.size() - 3 - (open + 2));
  if (digits.empty() || digits.size() > 3) return std::nullopt;
  int percent = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    percent = percent * 10 + (c - '0');
  }
  return percent;
}

std::string WithProgressBar(const std::string& text, int width) {
  std::optional<int> percent = ProgressPercent(text);
  if (!percent || width <= 0) return text;
  int filled = (*percent > 100 ? 100 : *percent) * width / 100;
  return text + "  [" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(width - filled), '.') + "]";
}

std::string RedrawnLine(const std::string& text, int columns) {
  std::string shown = text;
  if (columns > 1 && shown.size() > static_cast<size_t>(columns - 1)) {
    shown.resize(static_cast<size_t>(columns - 1));
  }
  return "\r\033[K" + shown;
}

std::string MessageLine(const std::string& caption, const std::string& text) {
  return caption + ": " + text;
}

std::string ResultLine(const BoxResult& result) {
  std::string line = result.command + " on " + result.port;
  if (result.passed) return line + " passed.";
  std::string detail = !result.cause.empty()    ? result.cause
                       : !result.status.empty() ? result.status
                                                : "";
  line += " failed (exit status " + std::to_string(result.exit_code) + ")";
  return detail.empty() ? line + "." : line + ": " + detail;
}

CliOutput::CliOutput(std::ostream& out, OutputMode mode, std::string port,
                     std::function<uint32_t()> elapsed_ms, int columns)
    : out_(out),
      mode_(mode),
      port_(std::move(port)),
      elapsed_ms_(std::move(elapsed_ms)),
      columns_(columns) {}

void CliOutput::Write(const std::string& text) {
  out_ << text;
  out_.flush();
}

void CliOutput::WriteEvent(const std::string& kind, const JsonLine& fields) {
  Write(Event(kind) + "," + fields.Text().substr(1) + "\n");
}

std::string CliOutput::Event(const std::string& kind) const {
  // The start of an event object, without its closing brace.
  JsonLine line;
  line.Add("event", kind).Add("port", port_).Add("ms", elapsed_ms_ ? elapsed_ms_() : 0u);
  std::string text = line.Text();
  text.pop_back();
  return text;
}

void CliOutput::EndLine() {
  if (!line_open_) return;
  line_open_ = false;
  Write("\n");
}

void CliOutput::Status(const std::string& text) {
  switch (mode_) {
    case OutputMode::kTerminal:
      if (text.empty()) {
        // An empty line needs no line of its own: the next output starts where it stands.
        if (line_open_) Write(RedrawnLine("", columns_));
        line_open_ = false;
      } else if (EndsAStep(text)) {
        Write(RedrawnLine(text, columns_) + "\n");
        line_open_ = false;
      } else {
        Write(RedrawnLine(WithProgressBar(text), columns_));
        line_open_ = true;
      }
      break;
    case OutputMode::kLines:
      // The dialog empties its status line when it opens: no line for that.
      if (!text.empty()) Write(text + "\n");
      break;
    case OutputMode::kJson:
      Write(Event("status") + ",\"text\":" + JsonQuote(text) + "}\n");
      break;
  }
}

void CliOutput::Message(const std::string& text, const std::string& caption,
                        platform::MessageIcon icon) {
  if (mode_ == OutputMode::kJson) {
    Write(Event("message") + ",\"caption\":" + JsonQuote(caption) + ",\"text\":" + JsonQuote(text) +
          ",\"icon\":\"" + IconName(icon) + "\"}\n");
    return;
  }
  EndLine();
  Write(MessageLine(caption, text) + "\n");
}

void CliOutput::Question(const std::string& text, const std::string& caption,
                         platform::MessageAnswer answer, const std::string& how) {
  if (mode_ == OutputMode::kJson) {
    Write(Event("question") + ",\"caption\":" + JsonQuote(caption) +
          ",\"text\":" + JsonQuote(text) + ",\"answer\":\"" + AnswerName(answer) +
          "\",\"by\":" + JsonQuote(how) + "}\n");
    return;
  }
  EndLine();
  Write(MessageLine(caption, text) + " " +
        (answer == platform::MessageAnswer::kYes ? "Yes" : "No") + " (" + how + ")\n");
}

void CliOutput::Note(const std::string& text) {
  if (mode_ == OutputMode::kJson) {
    Write(Event("note") + ",\"text\":" + JsonQuote(text) + "}\n");
    return;
  }
  EndLine();
  Write(text + "\n");
}

void CliOutput::Identity(const IdentityView& identity) {
  if (mode_ == OutputMode::kJson) {
    JsonLine line;
    line.Add("serial_number", identity.serial_number)
        .Add("mac_address", identity.mac_address)
        .Add("loader_version", identity.loader_version)
        .Add("firmware_current", identity.firmware_current)
        .Add("firmware_newest", identity.firmware_newest)
        .Add("logic_current", identity.logic_current)
        .Add("logic_newest", identity.logic_newest)
        .Add("update_needed", identity.update_needed);
    WriteEvent("identity", line);
    return;
  }
  EndLine();
  Write("Serial number:  " + identity.serial_number + "\n" + "MAC address:    " +
        identity.mac_address + "\n" + "Loader:         " + identity.loader_version + "\n" +
        "Firmware:       " + identity.firmware_current + " (newest " + identity.firmware_newest +
        ")\n" + "Logic:          " + identity.logic_current + " (newest " + identity.logic_newest +
        ")\n" + "Update:         " + (identity.update_needed ? "needed" : "not needed") + "\n");
}

void CliOutput::Result(const BoxResult& result) {
  if (mode_ == OutputMode::kJson) {
    JsonLine line;
    line.Add("command", result.command)
        .Add("passed", result.passed)
        .Add("exit_code", result.exit_code)
        .Add("status", result.status)
        .Add("cause", result.cause)
        .Add("serial_number", result.serial_number)
        .Add("elapsed_ms", result.elapsed_ms);
    WriteEvent("result", line);
    return;
  }
  EndLine();
  Write(ResultLine(result) + "\n");
}

}  // namespace zelvo::cli
