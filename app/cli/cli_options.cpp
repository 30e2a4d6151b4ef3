#include "app/cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>

namespace zelvo::cli {
namespace {

struct CommandEntry {
  const char* name;
  CliCommand command;
};

constexpr CommandEntry kCommands[] = {
    {"info", CliCommand::kInfo},         {"connect", CliCommand::kInfo},
    {"update", CliCommand::kUpdate},     {"erase", CliCommand::kErase},
    {"transmit", CliCommand::kTransmit}, {"start", CliCommand::kStart},
};

constexpr uint32_t kRates[5] = {9600, 19200, 38400, 57600, 115200};
constexpr int kComPorts = 19;

std::optional<CliCommand> FindCommand(const std::string& name) {
  for (const CommandEntry& entry : kCommands) {
    if (name == entry.name) return entry.command;
  }
  return std::nullopt;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The form a port is compared by, so that "com1" and "COM1" count as one port.
std::string PortKey(const std::string& port) {
  std::optional<int> index = ComPortIndex(port);
  return index ? "COM" + std::to_string(*index + 1) : port;
}

const char* const kValueOptions[] = {"--port", "--speed",   "--settings",    "--ip",
                                     "--mask", "--gateway", "--config-host", "--config-file"};
const char* const kFlagOptions[] = {"--yes", "--verify", "--json", "--trace", "--help"};

bool IsOneOf(const std::string& name, const auto& names) {
  return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return name == n; });
}

CliParseResult Error(std::string text) {
  CliParseResult result;
  result.outcome = CliParseOutcome::kError;
  result.error = std::move(text);
  return result;
}

// Adds the ports of one --port value (a single port or a comma list).
std::string AddPorts(const std::string& value, std::vector<std::string>& ports) {
  size_t start = 0;
  for (;;) {
    size_t comma = value.find(',', start);
    std::string port =
        value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (port.empty()) return "--port has an empty port name in '" + value + "'";
    if (!ComPortIndex(port) && !IsDevicePath(port)) {
      return "unknown port '" + port +
             "': give COM1 to COM19 or a device path such as /dev/ttyUSB0";
    }
    for (const std::string& known : ports) {
      if (PortKey(known) == PortKey(port)) return "port '" + port + "' is given twice";
    }
    ports.push_back(port);
    if (comma == std::string::npos) return "";
    start = comma + 1;
  }
}

}  // namespace

std::optional<int> ParseSpeed(const std::string& text) {
  if (!AllDigits(text) || text.size() > 6) return std::nullopt;
  unsigned long value = std::stoul(text);
  if (value <= 4) return static_cast<int>(value);
  for (int i = 0; i < 5; ++i) {
    if (value == kRates[i]) return i;
  }
  return std::nullopt;
}

std::optional<int> ComPortIndex(const std::string& text) {
  if (text.size() < 4 || text.size() > 5 || Upper(text.substr(0, 3)) != "COM") return std::nullopt;
  std::string digits = text.substr(3);
  if (!AllDigits(digits) || digits[0] == '0') return std::nullopt;
  int number = std::stoi(digits);
  if (number < 1 || number > kComPorts) return std::nullopt;
  return number - 1;
}

bool IsDevicePath(const std::string& text) {
  return text.find('/') != std::string::npos;
}

const char* CommandName(CliCommand command) {
  switch (command) {
    case CliCommand::kInfo:
      return "info";
    case CliCommand::kUpdate:
      return "update";
    case CliCommand::kErase:
      return "erase";
    case CliCommand::kTransmit:
      return "transmit";
    case CliCommand::kStart:
      return "start";
  }
  return "";
}

CliParseResult ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool have_command = false;
  bool help = false;
  bool help_command = false;  // "zelvogdb-cli help [command]"

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      if (!have_command && !help_command && arg == "help" && i == 0) {
        help_command = true;
        help = true;
        continue;
      }
      if (have_command) return Error("unexpected argument '" + arg + "'");
      std::optional<CliCommand> command = FindCommand(arg);
      if (!command) return Error("unknown command '" + arg + "'");
      options.command = *command;
      options.command_name = arg;
      have_command = true;
      continue;
    }

    std::string name = arg;
    std::optional<std::string> value;
    if (size_t equals = arg.find('='); equals != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (name == "-h") name = "--help";
    if (name == "-y") name = "--yes";

    if (IsOneOf(name, kFlagOptions)) {
      if (value) return Error(name + " takes no value");
      if (name == "--help") help = true;
      if (name == "--yes") options.yes = true;
      if (name == "--verify") options.verify = true;
      if (name == "--json") options.json = true;
      if (name == "--trace") options.trace = true;
      continue;
    }
    if (!IsOneOf(name, kValueOptions)) return Error("unknown option '" + name + "'");
    if (!value) {
      if (i + 1 >= args.size()) return Error(name + " needs a value");
      value = args[++i];
    }

    if (name == "--port") {
      if (std::string error = AddPorts(*value, options.ports); !error.empty()) return Error(error);
    } else if (name == "--speed") {
      options.speed_index = ParseSpeed(*value);
      if (!options.speed_index) {
        return Error(
            "--speed takes 9600, 19200, 38400, 57600 or 115200, or an index 0 to 4, not '" +
            *value + "'");
      }
    } else if (name == "--settings") {
      if (value->empty()) return Error("--settings needs a file name");
      options.settings_file = *value;
    } else if (name == "--ip") {
      options.box_ip_address = *value;
    } else if (name == "--mask") {
      options.subnet_mask = *value;
    } else if (name == "--gateway") {
      options.default_gateway = *value;
    } else if (name == "--config-host") {
      options.config_host_ip_address = *value;
    } else if (name == "--config-file") {
      options.config_file_name = *value;
    }
  }

  if (help) {
    CliParseResult result;
    result.outcome = CliParseOutcome::kHelp;
    if (have_command) result.help_topic = options.command;
    return result;
  }
  if (!have_command) return Error("no command given");
  if (options.yes && options.command != CliCommand::kErase) {
    return Error("--yes belongs to the erase command only");
  }
  if (options.verify && options.command != CliCommand::kUpdate) {
    return Error("--verify belongs to the update command only");
  }
  if (options.command != CliCommand::kTransmit) {
    const std::pair<const char*, bool> network_options[] = {
        {"--ip", options.box_ip_address.has_value()},
        {"--mask", options.subnet_mask.has_value()},
        {"--gateway", options.default_gateway.has_value()},
        {"--config-host", options.config_host_ip_address.has_value()},
        {"--config-file", options.config_file_name.has_value()},
    };
    for (const auto& [name, given] : network_options) {
      if (given) return Error(std::string(name) + " belongs to the transmit command only");
    }
  }
  if (options.ports.size() > 1 && options.command == CliCommand::kStart) {
    return Error("start takes one port; several ports work with info, update, erase and transmit");
  }
  CliParseResult result;
  result.outcome = CliParseOutcome::kRun;
  result.options = std::move(options);
  return result;
}

std::string CliUsage() {
  return R"(Usage: zelvogdb-cli <command> [options]

Maintains a ZELVO9 box over its serial line from a terminal: the commands of the
"ZELVO9 Update/Setup" dialog, with the dialog's texts. Every command connects first, as
the dialog's Connect does, and starts the box's firmware when it leaves.

Commands:
  info        connect and show the serial number, MAC address and the current and
              newest versions (alias: connect)
  update      write the newest firmware and logic update files into the box
  erase       erase the box's flash and its logic device (EPLD)
  transmit    write the network setup record into the box and read it back
  start       connect, then start the box's firmware and close the link

Options:
  --port PORT           COM1 to COM19, or a device path such as /dev/ttyUSB0; info,
                        update, erase and transmit take several (repeated, or a comma
                        list) and work on all those boxes at once
  --speed SPEED         9600, 19200, 38400, 57600 or 115200 baud, or its index 0 to 4
                        (port and speed default to the settings document's, without
                        one to those of a new document: COM1 at 9600 baud)
  --settings FILE       take port, speed and network values from a ".gdb" document;
                        options given as well take precedence
  --ip ADDRESS          box IP address
  --mask ADDRESS        subnet mask
  --gateway ADDRESS     default gateway
  --config-host ADDRESS configuration host IP address
  --config-file NAME    configuration file name
  -y, --yes             erase: answer "Erase Flash and EPLD?" with Yes
  --verify              update: read the programmed firmware back and compare it
  --json                one JSON object per line: status texts, messages, result
  --trace               every write and received frame on the line, in hex with the
                        milliseconds since start, on stderr
  -h, --help            this text; "zelvogdb-cli <command> --help" for one command

Examples:
  zelvogdb-cli info --port COM1 --speed 115200
  zelvogdb-cli update --port COM1 --speed 115200 --verify
  zelvogdb-cli erase --port /dev/ttyUSB0 --yes
  zelvogdb-cli transmit --port COM1 --ip 192.168.1.10 --mask 255.255.255.0 \
      --gateway 192.168.1.254 --config-host 192.168.1.1 --config-file zelvo.cfg
  zelvogdb-cli start --port COM1
  zelvogdb-cli update --port /dev/ttyUSB0,/dev/ttyUSB1 --speed 115200

Exit status: 0 the command passed, 1 it failed, 2 bad options or values (nothing was
sent), 3 the box could not be connected.

Environment: ZELVO_COMn (e.g. ZELVO_COM1=/dev/ttyUSB0) maps a COM name to a device,
otherwise COMn is /dev/ttyS(n-1); ZELVO_UPDATE_DIR is where the update files lie
(default: the program's own directory).
)";
}

std::string CommandUsage(CliCommand command) {
  switch (command) {
    case CliCommand::kInfo:
      return R"(Usage: zelvogdb-cli info [--port PORT]... [--speed SPEED] [--settings FILE]

Connects as the dialog's Connect does and shows the serial number, the MAC address and
the loader, firmware and logic versions: the box's current ones and the newest update
files'. Leaves as Cancel does: the box's firmware is started, the link closed.
Passes with "Connecting to ZELVO Loader passed!". Alias: connect.

Example:
  zelvogdb-cli info --port COM1 --speed 115200
)";
    case CliCommand::kUpdate:
      return R"(Usage: zelvogdb-cli update [--port PORT]... [--speed SPEED] [--settings FILE] [--verify]

Connects, then runs the dialog's Update: writes the newest firmware update file
(ZV9SWDGD.nnn) and logic update file (SWDJED20.nnn or SWDJED21.nnn) into the box where
they differ from what it holds, and reads its versions again. Leaves as OK does.
Passes with "Updating firmware and logic passed!".

  --verify   afterwards, read every record of the firmware file back from the box's
             flash and compare; the first difference is reported by its address and
             fails the command

Example:
  zelvogdb-cli update --port COM1 --speed 115200 --verify
)";
    case CliCommand::kErase:
      return R"(Usage: zelvogdb-cli erase [--port PORT]... [--speed SPEED] [--settings FILE] [--yes]

Connects, asks "Erase Flash and EPLD? [y/N]" and, after Yes, runs the dialog's Erase:
the logic device and every flash sector, the network setup record's included. Without
a terminal to ask on and without --yes the answer is No. Leaves as OK does.
Passes with "Erasing Flash and EPLD passed!".

Example:
  zelvogdb-cli erase --port /dev/ttyUSB0 --yes
)";
    case CliCommand::kTransmit:
      return R"(Usage: zelvogdb-cli transmit [--port PORT]... [--speed SPEED] [--settings FILE]
                         [--ip A] [--mask A] [--gateway A] [--config-host A] [--config-file NAME]

Connects, then runs the dialog's Transmit: writes the network setup record (MAC
address, box IP address, subnet mask, default gateway, configuration host IP address,
configuration file name) and reads it back. The values come from the options, else
from the settings document. Leaves as OK does. Passes with "Writing setup data passed".

Example:
  zelvogdb-cli transmit --port COM1 --ip 192.168.1.10 --mask 255.255.255.0 \
      --gateway 192.168.1.254 --config-host 192.168.1.1 --config-file zelvo.cfg
)";
    case CliCommand::kStart:
      return R"(Usage: zelvogdb-cli start [--port PORT] [--speed SPEED] [--settings FILE]

Connects, then leaves as the dialog's OK does: starts the box's firmware and closes
the link. Passes when the box connected and acknowledged the start.

Example:
  zelvogdb-cli start --port COM1
)";
  }
  return CliUsage();
}

}  // namespace zelvo::cli
