#include "sim/sim_options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>

namespace zelvo::sim {
namespace {

// Whole text as an unsigned number: decimal, or hexadecimal after 0x.
bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end != text.c_str() + text.size() || parsed > max) return false;
  value = parsed;
  return true;
}

bool ParseProbability(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  double parsed = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !(parsed >= 0.0 && parsed <= 1.0)) return false;
  value = parsed;
  return true;
}

// An opcode: one letter ('g'), or a number (0x67, 1).
bool ParseOpcode(const std::string& text, uint8_t& opcode) {
  if (text.size() == 1 && (text[0] < '0' || text[0] > '9')) {
    opcode = static_cast<uint8_t>(text[0]);
    return true;
  }
  uint64_t value = 0;
  if (!ParseUnsigned(text, 0xFF, value)) return false;
  opcode = static_cast<uint8_t>(value);
  return true;
}

// "N" or "N:OP".
bool ParseReplyFault(const std::string& text, ReplyFault& fault) {
  std::string count = text;
  std::string opcode;
  size_t colon = text.find(':');
  if (colon != std::string::npos) {
    count = text.substr(0, colon);
    opcode = text.substr(colon + 1);
  }
  uint64_t n = 0;
  if (!ParseUnsigned(count, 1'000'000, n)) return false;
  fault.count = static_cast<int>(n);
  fault.opcode = 0;
  return opcode.empty() ? colon == std::string::npos : ParseOpcode(opcode, fault.opcode);
}

struct OptionSpec {
  const char* value_name;  // nullptr for a switch
  const char* help;
  std::function<bool(const std::string&, SimOptions&)> apply;
};

RandomFaults& Random(SimOptions& o) {
  if (!o.random) o.random = RandomFaults{};
  return *o.random;
}

bool Rate(const std::string& v, uint32_t& out) {
  uint64_t n = 0;
  if (!ParseUnsigned(v, 4'000'000, n) || n == 0) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

bool Count(const std::string& v, int& out) {
  uint64_t n = 0;
  if (!ParseUnsigned(v, 1'000'000'000, n)) return false;
  out = static_cast<int>(n);
  return true;
}

bool Address(const std::string& v, uint32_t& out) {
  uint64_t n = 0;
  if (!ParseUnsigned(v, 0xFFFFFFFF, n)) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

const std::vector<std::pair<std::string, OptionSpec>>& Specs() {
  static const std::vector<std::pair<std::string, OptionSpec>> specs = {
      {"--rate",
       {"R", "rate the loader listens at when the program starts (default 9600)",
        [](const std::string& v, SimOptions& o) { return Rate(v, o.rate); }}},
      {"--pace",
       {nullptr, "send reply bytes at the real line rate (default: at once)",
        [](const std::string&, SimOptions& o) { return o.pace = true; }}},
      {"--processing-ms",
       {"N", "the loader's time per request before it answers",
        [](const std::string& v, SimOptions& o) {
          int n = 0;
          if (!Count(v, n)) return false;
          o.processing_ms = static_cast<uint32_t>(n);
          return true;
        }}},
      {"--state",
       {"FILE", "load the box from FILE if present; save it after changes and on exit",
        [](const std::string& v, SimOptions& o) {
          o.state_file = v;
          return !v.empty();
        }}},
      {"--exit-after-requests",
       {"N", "close the pty after N requests, as a pulled adapter would, and exit",
        [](const std::string& v, SimOptions& o) { return Count(v, o.exit_after_requests); }}},
      {"--serial",
       {"TEXT", "serial number, 8 or 10 characters (default 12345678)",
        [](const std::string& v, SimOptions& o) {
          if (v.size() != 8 && v.size() != 10) return false;
          o.serial = v;
          return true;
        }}},
      {"--loader-version",
       {"N", "loader version as reported (default 105; 0 allowed)",
        [](const std::string& v, SimOptions& o) {
          uint64_t n = 0;
          if (!ParseUnsigned(v, 0xFFFF, n)) return false;
          o.loader_version = static_cast<uint16_t>(n);
          return true;
        }}},
      {"--device-type",
       {"N", "logic device type (default 19)",
        [](const std::string& v, SimOptions& o) {
          uint64_t n = 0;
          if (!ParseUnsigned(v, 0xFF, n)) return false;
          o.device_type = static_cast<uint8_t>(n);
          return true;
        }}},
      // Faults of the line and the handshake.
      {"--silent",
       {nullptr, "fault: take in nothing, answer nothing",
        [](const std::string&, SimOptions& o) { return o.faults.silent = true; }}},
      {"--refuse-rate",
       {"R", "fault: never move to rate R; SetSpeed to it confirms the current rate (repeatable)",
        [](const std::string& v, SimOptions& o) {
          uint32_t r = 0;
          if (!Rate(v, r)) return false;
          o.faults.refused_rates.insert(r);
          return true;
        }}},
      {"--confirm-rate",
       {"R", "fault: SetSpeed confirms (and moves to) rate R whatever was asked",
        [](const std::string& v, SimOptions& o) { return Rate(v, o.faults.confirm_rate); }}},
      {"--no-final-ping",
       {nullptr, "fault: leave the first ping after every speed change unanswered",
        [](const std::string&, SimOptions& o) { return o.faults.no_final_ping = true; }}},
      {"--setspeed-reply-len",
       {"N", "fault: SetSpeed reply of N message bytes (6 or 8; 7 is right)",
        [](const std::string& v, SimOptions& o) {
          int n = 0;
          if (!Count(v, n) || n < 2 || n > 64) return false;
          o.faults.setspeed_reply_length = n;
          return true;
        }}},
      // Faults of any reply; N[:OP] hits the next N replies, of command OP only if given.
      {"--drop-replies",
       {"N[:OP]", "fault: carry out, but never send, the next N replies",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.drop_replies);
        }}},
      {"--corrupt-check",
       {"N[:OP]", "fault: wrong check byte in the next N replies",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.corrupt_check);
        }}},
      {"--bad-header-length",
       {"N[:OP]", "fault: reply header counting one byte more than the content",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.header_length_mismatch);
        }}},
      {"--short-reply",
       {"N[:OP]", "fault: reply content one byte short",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.short_content);
        }}},
      {"--long-reply",
       {"N[:OP]", "fault: reply content one byte long",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.long_content);
        }}},
      {"--wrong-opcode",
       {"N[:OP]", "fault: reply echoing the wrong opcode",
        [](const std::string& v, SimOptions& o) {
          return ParseReplyFault(v, o.faults.wrong_opcode);
        }}},
      // Faults of the flash.
      {"--erase-fail",
       {"ADDR", "fault: erasing the sector at ADDR fails (repeatable)",
        [](const std::string& v, SimOptions& o) {
          uint32_t a = 0;
          if (!Address(v, a)) return false;
          o.faults.failing_erase_sectors.insert(a);
          return true;
        }}},
      {"--program-fail-next",
       {"N", "fault: the next N flash programs fail",
        [](const std::string& v, SimOptions& o) { return Count(v, o.faults.failing_programs); }}},
      {"--program-fail-at",
       {"ADDR", "fault: a flash program covering ADDR fails",
        [](const std::string& v, SimOptions& o) {
          uint32_t a = 0;
          if (!Address(v, a)) return false;
          o.faults.failing_program_at = a;
          return true;
        }}},
      // Faults of the logic device.
      {"--bad-programmed-row",
       {"R", "fault: row R's programmed-verification image differs",
        [](const std::string& v, SimOptions& o) {
          return Count(v, o.faults.bad_programmed_image_row);
        }}},
      {"--bad-erased-row",
       {"R", "fault: row R's erased-verification image differs",
        [](const std::string& v, SimOptions& o) {
          return Count(v, o.faults.bad_erased_image_row);
        }}},
      {"--bad-signature",
       {nullptr, "fault: the user signature reads back differently",
        [](const std::string&, SimOptions& o) {
          return o.faults.signature_reads_differently = true;
        }}},
      // Faults of the identity and the loader check.
      {"--identity-len",
       {"N", "fault: identity reply cut or padded to N bytes (16, say)",
        [](const std::string& v, SimOptions& o) {
          int n = 0;
          if (!Count(v, n) || n < 1 || n > 1498) return false;
          o.faults.identity_reply_length = n;
          return true;
        }}},
      {"--identity-letter",
       {"C", "fault: identity reply beginning with C instead of 'd'",
        [](const std::string& v, SimOptions& o) {
          return ParseOpcode(v, o.faults.identity_letter);
        }}},
      {"--loader-checks-r",
       {"N", "fault: answer the first N loader checks 'r' (box not yet in its loader)",
        [](const std::string& v, SimOptions& o) {
          return Count(v, o.faults.loader_checks_in_setting);
        }}},
      {"--stop-after-requests",
       {"N", "fault: the box dies after N requests (the pty stays open)",
        [](const std::string& v, SimOptions& o) {
          return Count(v, o.faults.stop_after_requests);
        }}},
      // Random faults of the exchange's replies.
      {"--random-seed",
       {"S", "seed of the random faults (default 1)",
        [](const std::string& v, SimOptions& o) {
          uint64_t n = 0;
          if (!ParseUnsigned(v, 0xFFFFFFFF, n)) return false;
          Random(o).seed = static_cast<uint32_t>(n);
          return true;
        }}},
      {"--random-drop",
       {"P", "fault: lose a reply with probability P (0 to 1)",
        [](const std::string& v, SimOptions& o) { return ParseProbability(v, Random(o).drop); }}},
      {"--random-truncate",
       {"P", "fault: cut a reply's frame short with probability P",
        [](const std::string& v, SimOptions& o) {
          return ParseProbability(v, Random(o).truncate);
        }}},
      {"--random-corrupt",
       {"P", "fault: change a byte of a reply's frame with probability P",
        [](const std::string& v, SimOptions& o) {
          return ParseProbability(v, Random(o).corrupt);
        }}},
      {"--random-delay",
       {"P", "fault: send a reply late with probability P",
        [](const std::string& v, SimOptions& o) { return ParseProbability(v, Random(o).delay); }}},
      {"--random-delay-ms",
       {"MS", "how late a delayed reply comes (default 500)",
        [](const std::string& v, SimOptions& o) {
          int n = 0;
          if (!Count(v, n)) return false;
          Random(o).delay_ms = static_cast<uint32_t>(n);
          return true;
        }}},
      {"--random-handshake",
       {nullptr, "let the random faults hit the handshake's replies too",
        [](const std::string&, SimOptions& o) { return Random(o).handshake_too = true; }}},
  };
  return specs;
}

}  // namespace

ParseOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                             std::string& error) {
  const auto& specs = Specs();
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    size_t equals = name.find('=');
    if (name.starts_with("--") && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (name == "--help" || name == "-h") return ParseOutcome::kHelp;
    const OptionSpec* spec = nullptr;
    for (const auto& [option, s] : specs) {
      if (option == name) spec = &s;
    }
    if (spec == nullptr) {
      error = "unknown option " + name;
      return ParseOutcome::kError;
    }
    if (spec->value_name == nullptr) {
      if (value) {
        error = name + " takes no value";
        return ParseOutcome::kError;
      }
    } else if (!value) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value " + spec->value_name;
        return ParseOutcome::kError;
      }
      value = args[++i];
    }
    if (!spec->apply(value.value_or(""), options)) {
      error = "bad value for " + name + ": '" + value.value_or("") + "'";
      return ParseOutcome::kError;
    }
  }
  return ParseOutcome::kRun;
}

std::string SimUsage() {
  std::string text =
      "Usage: zelvo9-sim [options]\n"
      "A simulated ZELVO9 box on a pseudo-terminal. Prints the host-side device path on its\n"
      "first line, then serves until SIGINT or SIGTERM.\n\n"
      "Options:\n"
      "  --help                      show this text\n";
  for (const auto& [option, spec] : Specs()) {
    std::string left = "  " + option;
    if (spec.value_name != nullptr) left += std::string(" ") + spec.value_name;
    if (left.size() < 30)
      left.resize(30, ' ');
    else
      left += "\n" + std::string(30, ' ');
    text += left + spec.help + "\n";
  }
  text += "\nOP is a command letter (g) or number (0x67). Addresses and numbers take 0x for hex.\n";
  return text;
}

void ApplySimOptions(const SimOptions& options, Box& box) {
  box.set_listen_rate(options.rate);
  box.set_line_timing(options.pace);
  box.SetProcessingMs(options.processing_ms);
  if (options.serial) box.set_serial(*options.serial);
  if (options.loader_version) box.set_loader_version(*options.loader_version);
  if (options.device_type) box.set_device_type(*options.device_type);
  box.faults() = options.faults;
  if (options.random) box.SetRandomFaults(*options.random);
}

}  // namespace zelvo::sim
