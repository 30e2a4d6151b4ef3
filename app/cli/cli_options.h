#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvo::cli {

// The subcommands: each runs the Update/Setup dialog's command of the same name.
enum class CliCommand { kInfo, kUpdate, kErase, kTransmit, kStart };

// The command line of zelvogdb-cli. Values not given stay unset and come from the settings
// document (--settings) or, without one, from a new document.
struct CliOptions {
  CliCommand command = CliCommand::kInfo;
  std::string command_name;        // as typed ("connect" for the alias of info)
  std::vector<std::string> ports;  // COM names ("COM1") or device paths, in the order given
  std::optional<int> speed_index;  // 0 = 9600 ... 4 = 115200
  std::string settings_file;       // a ".gdb" settings document, or empty
  std::optional<std::string> box_ip_address;
  std::optional<std::string> subnet_mask;
  std::optional<std::string> default_gateway;
  std::optional<std::string> config_host_ip_address;
  std::optional<std::string> config_file_name;
  bool yes = false;     // erase: answer the question with Yes
  bool verify = false;  // update: read the programmed records back and compare
  bool json = false;    // one JSON object per line on stdout
  bool trace = false;   // every write and received frame on stderr
};

enum class CliParseOutcome { kRun, kHelp, kError };

struct CliParseResult {
  CliParseOutcome outcome = CliParseOutcome::kError;
  CliOptions options;
  std::string error;                     // kError: what is wrong, for the user
  std::optional<CliCommand> help_topic;  // kHelp: the command asked about, if any
};

// Reads the arguments after the program name: the command first (or --help), then options,
// each value either as the next argument or after '=' ("--speed 115200", "--speed=115200").
// "zelvogdb-cli help [command]" and "<command> --help" ask for help.
CliParseResult ParseCliOptions(const std::vector<std::string>& args);

// The speed index of a rate (9600, 19200, 38400, 57600, 115200) or of an index 0 to 4.
std::optional<int> ParseSpeed(const std::string& text);
// The port index (0 to 18) of "COM1" to "COM19", any letter case; nullopt for anything else.
std::optional<int> ComPortIndex(const std::string& text);
// True for what the port option takes as a device path rather than a COM name.
bool IsDevicePath(const std::string& text);

// The name a command is known by ("info", "update", ...).
const char* CommandName(CliCommand command);

// The --help texts: the whole program's, and one command's with its example.
std::string CliUsage();
std::string CommandUsage(CliCommand command);

}  // namespace zelvo::cli
