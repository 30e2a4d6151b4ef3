// The built zelvogdb-cli program against the built zelvo9-sim program on real ptys, as a user's
// shell or script would run them.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "app/cli/json_text.h"
#include "app/settings_document.h"
#include "tests/app/cli/cli_process.h"
#include "tools/update_images.h"

namespace zelvo::cli {
namespace {

using ::testing::AllOf;
using testing::CliRun;
using ::testing::ContainsRegex;
using testing::EnvironmentWith;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::RunCli;
using testing::SimProcess;

// Small update files keep every run short.
constexpr size_t kFirmwareBytes = 8 * 1024;

// A directory of update files for the program (ZELVO_UPDATE_DIR) and the test's other files.
class CliProgramTest : public ::testing::Test {
 protected:
  CliProgramTest() {
    static int serial = 0;
    dir_ = (std::filesystem::temp_directory_path() /
            ("zelvo-cli-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial)))
               .string();
    std::filesystem::create_directories(dir_);
  }
  ~CliProgramTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Writes firmware 1.05 of kFirmwareBytes, with `extra_line` before its end record.
  void WriteFirmware(const std::string& extra_line = "") {
    tools::FirmwareImageOptions options;
    options.version = 105;
    options.size = kFirmwareBytes;
    std::string text = tools::MakeFirmwareImage(options)->text;
    if (!extra_line.empty()) text.insert(text.rfind("S7"), extra_line);
    ASSERT_TRUE(tools::WriteUpdateFile(dir_, tools::UpdateFileName("ZV9SWDGD", 105), text));
  }
  void WriteLogic() {
    ASSERT_TRUE(tools::WriteUpdateFile(dir_, tools::UpdateFileName("SWDJED20", 12),
                                       tools::MakeLogicImage("SWDJED20", 12).text));
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::vector<std::string> Env(std::map<std::string, std::string> more = {}) {
    more["ZELVO_UPDATE_DIR"] = dir_;
    if (more.count("ZELVO_COM1") == 0) more["ZELVO_COM1"] = "";
    return EnvironmentWith(more);
  }

  // Starts a simulated box; the test stops when it does not come up.
  std::string StartBox(SimProcess& sim, std::vector<std::string> args = {}) {
    std::string path = sim.Start(std::move(args));
    EXPECT_THAT(path, ::testing::StartsWith("/dev/"));
    return path;
  }

  static std::vector<JsonObject> JsonLines(const std::string& out) {
    std::vector<JsonObject> objects;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      std::optional<JsonObject> object = ParseJsonObject(line);
      EXPECT_TRUE(object.has_value()) << "not a JSON object: " << line;
      if (object) objects.push_back(*object);
    }
    return objects;
  }

  std::string dir_;
};

// An S3 data record of four bytes at `address`, with its checksum.
std::string S3Record(uint32_t address, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(4 + data.size() + 1),
                                static_cast<uint8_t>(address >> 24),
                                static_cast<uint8_t>(address >> 16),
                                static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  std::string line = "S3";
  char hex[3];
  for (uint8_t b : bytes) {
    sum += b;
    std::snprintf(hex, sizeof hex, "%02X", b);
    line += hex;
  }
  std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFF);
  return line + hex + "\n";
}

TEST_F(CliProgramTest, InfoShowsTheBoxInPlainLinesWhenStdoutIsNoTerminal) {
  SimProcess sim;
  std::string pty = StartBox(sim, {"--serial", "ABCD1234"});
  WriteFirmware();
  CliRun run = RunCli({"info", "--port", pty, "--speed", "115200"}, Env());
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Connecting to ZELVO Loader ...\n"
                                 "Connecting to ZELVO Loader passed!\n"));
  EXPECT_THAT(run.out, HasSubstr("Serial number:  ABCD1234\n"));
  EXPECT_THAT(run.out, HasSubstr("MAC address:    0A1B2CABCD12\n"));
  EXPECT_THAT(run.out, HasSubstr("Firmware:       unknown (newest 1.05)\n"));
  EXPECT_THAT(run.out, HasSubstr("Starting firmware please wait....\n"));
  EXPECT_THAT(run.out, HasSubstr("info on " + pty + " passed."));
  EXPECT_THAT(run.out, Not(HasSubstr("\r"))) << "no redrawing outside a terminal";
}

TEST_F(CliProgramTest, TheReadmeUpdateThroughCom1WritesBothFilesAndVerifies) {
  SimProcess sim;
  std::string pty = StartBox(sim);
  WriteFirmware();
  WriteLogic();
  CliRun run = RunCli({"update", "--port", "COM1", "--speed", "115200", "--verify"},
                      Env({{"ZELVO_COM1", pty}}));
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Firmware: Programming Flash ... passed!\n"));
  EXPECT_THAT(run.out, HasSubstr("Updating firmware and logic passed!\n"));
  // The identity read after the update: the box now holds the files' versions.
  EXPECT_THAT(run.out, HasSubstr("Firmware:       1.05 (newest 1.05)\n"));
  EXPECT_THAT(run.out, HasSubstr("Logic:          0.12 (newest 0.12)\n"));
  EXPECT_THAT(run.out, HasSubstr("Verifying firmware ... passed!\n"));
  EXPECT_THAT(run.out, HasSubstr("update on COM1 passed."));
}

TEST_F(CliProgramTest, AFailingFlashEraseFailsTheUpdateWithTheDialogsTexts) {
  SimProcess sim;
  std::string pty = StartBox(sim, {"--erase-fail", "0x01080000"});
  WriteFirmware();
  CliRun run = RunCli({"update", "--port", pty}, Env());
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Firmware: Erasing Flash ... failed!\n"
                                 "zelvoGDB Setup: Firmware update failed!\n"
                                 "Updating firmware and logic failed!\n"));
  EXPECT_THAT(run.out, HasSubstr("update on " + pty +
                                 " failed (exit status 1): Updating firmware and logic failed!"));
}

TEST_F(CliProgramTest, APortThatDoesNotExistCannotConnectAndSaysSo) {
  CliRun run = RunCli({"info", "--port", dir_ + "/no-such-tty"}, Env());
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_THAT(run.out, HasSubstr("zelvoGDB Setup: Cannot connect to ZELVO loader!\n"
                                 "Connecting to ZELVO loader failed!\n"));
  EXPECT_THAT(run.out, HasSubstr("the port does not exist"));
  EXPECT_THAT(run.out, Not(HasSubstr("Starting firmware"))) << "a failed Connect ends the run";
}

TEST_F(CliProgramTest, APortHeldByAnotherProgramIsNamedAsSuch) {
  SimProcess sim;
  std::string pty = StartBox(sim);
  int holder = open(pty.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  CliRun run = RunCli({"info", "--port", pty}, Env());
  close(holder);
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_THAT(run.out, HasSubstr("in use by another program"));
}

TEST_F(CliProgramTest, EraseWithYesErasesAndWithoutATerminalAnswersNo) {
  SimProcess sim;
  std::string pty = StartBox(sim);
  CliRun declined = RunCli({"erase", "--port", pty}, Env());
  EXPECT_EQ(declined.exit_code, 1);
  EXPECT_THAT(declined.out, HasSubstr("zelvoGDB Setup: Erase Flash and EPLD? No (no terminal"));
  EXPECT_THAT(declined.out, Not(HasSubstr("Erasing Flash and EPLD ...")));
  EXPECT_THAT(declined.out, HasSubstr("nothing was erased"));

  CliRun erased = RunCli({"erase", "--port", pty, "--yes"}, Env());
  EXPECT_EQ(erased.exit_code, 0) << erased.out;
  EXPECT_THAT(erased.out, HasSubstr("Erasing Flash and EPLD ...\n"));
  EXPECT_THAT(erased.out, HasSubstr("Erasing all flash sectors ...\n"
                                    "Erasing Flash and EPLD passed!\n"));
}

// The flash bytes a zelvo9-sim state file holds from `address` on (0xFF where it says nothing).
std::vector<uint8_t> StateFlash(const std::string& state_path, uint32_t address, size_t count) {
  std::vector<uint8_t> bytes(count, 0xFF);
  std::ifstream in(state_path);
  for (std::string key, line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string start_hex, data_hex;
    if (!(fields >> key >> start_hex >> data_hex) || key != "flash") continue;
    uint32_t start = static_cast<uint32_t>(std::stoul(start_hex, nullptr, 16));
    for (size_t i = 0; i + 1 < data_hex.size(); i += 2) {
      uint32_t at = start + static_cast<uint32_t>(i / 2);
      if (at >= address && at < address + count) {
        bytes[at - address] = static_cast<uint8_t>(std::stoul(data_hex.substr(i, 2), nullptr, 16));
      }
    }
  }
  return bytes;
}

TEST_F(CliProgramTest, TransmitWritesTheSettingsDocumentsValuesWithTheOptionsOnTop) {
  CZelvohsDoc document;
  document.box_ip_address = "10.1.1.1";
  document.config_host_ip_address = "10.1.1.2";
  document.config_file_name = "box.cfg";
  document.subnet_mask = "255.255.0.0";
  document.default_gateway = "10.1.1.254";
  std::string settings = dir_ + "/box.gdb";
  ASSERT_TRUE(SaveDocumentFile(document, settings).ok);
  std::string state = dir_ + "/box.state";
  SimProcess sim;
  std::string pty = StartBox(sim, {"--state", state});

  CliRun run = RunCli(
      {"transmit", "--port", pty, "--settings", settings, "--ip", "10.1.1.9", "--json"}, Env());
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  std::vector<JsonObject> events = JsonLines(run.out);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(JsonString(events.back(), "event"), "result");
  EXPECT_EQ(JsonString(events.back(), "status"), "Writing setup data passed");
  EXPECT_TRUE(JsonTrue(events.back(), "passed"));

  CliRun refused = RunCli({"transmit", "--port", pty, "--ip", "255.255.255.255"}, Env());
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_THAT(refused.out, HasSubstr("zelvoGDB Setup: Invalid IP address!\n"));
  EXPECT_THAT(refused.out, Not(HasSubstr("Connecting to ZELVO Loader ...")));

  sim.Stop();  // the box saves its state on the way out
  std::vector<uint8_t> record = StateFlash(state, 0x01008000, 32);
  EXPECT_EQ(std::vector<uint8_t>(record.begin() + 8, record.begin() + 32),
            (std::vector<uint8_t>{10, 1, 1, 9, 255, 255, 0,   0,   10,  1,   1,   254,
                                  10, 1, 1, 2, 'b', 'o', 'x', '.', 'c', 'f', 'g', 0}));
}

TEST_F(CliProgramTest, StartTracesEveryFrameBothWaysOnStderr) {
  SimProcess sim;
  std::string pty = StartBox(sim);
  CliRun run = RunCli({"start", "--port", pty, "--trace"}, Env());
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Starting firmware please wait....\n"));
  // The wake-up bytes, a ping and its answer, and the StartFirmware request ('q') and reply.
  EXPECT_THAT(run.err, ContainsRegex("\\s+[0-9]+ ms  -> DB DE\n"));
  EXPECT_THAT(run.err, ContainsRegex("ms  <- 00 01 01\n"));
  EXPECT_THAT(run.err, ContainsRegex("ms  -> 10 02 [0-9A-F]{2} 01 71 10 03 [0-9A-F]{2}\n"));
  EXPECT_THAT(run.err, ContainsRegex("ms  <- [0-9A-F]{2} 01 71\n"));
  EXPECT_THAT(run.out, Not(HasSubstr(" ms  ")));
}

TEST_F(CliProgramTest, JsonGivesOneObjectPerStatusMessageAndResult) {
  SimProcess sim;
  std::string pty = StartBox(sim, {"--serial", "9876543210"});
  CliRun run = RunCli({"connect", "--port", pty, "--json"}, Env());
  EXPECT_EQ(run.exit_code, 0) << run.out;
  std::vector<JsonObject> events = JsonLines(run.out);
  std::vector<std::string> statuses;
  for (const JsonObject& e : events) {
    EXPECT_EQ(JsonString(e, "port"), pty);
    if (JsonString(e, "event") == "status") statuses.push_back(JsonString(e, "text"));
  }
  EXPECT_EQ(statuses, (std::vector<std::string>{"", "Connecting to ZELVO Loader ...",
                                                "Connecting to ZELVO Loader passed!",
                                                "Starting firmware please wait...."}));
  auto identity = std::find_if(events.begin(), events.end(), [](const JsonObject& e) {
    return JsonString(e, "event") == "identity";
  });
  ASSERT_NE(identity, events.end());
  EXPECT_EQ(JsonString(*identity, "serial_number"), "9876543210");
  EXPECT_EQ(JsonString(*identity, "mac_address"), "0A1B2C987654");
  EXPECT_EQ(JsonString(events.back(), "event"), "result");
  EXPECT_EQ(JsonString(events.back(), "command"), "connect");
  EXPECT_EQ(JsonInteger(events.back(), "exit_code", -1), 0);

  CliRun failed = RunCli({"info", "--port", dir_ + "/none", "--json"}, Env());
  std::vector<JsonObject> failure = JsonLines(failed.out);
  ASSERT_FALSE(failure.empty());
  auto message = std::find_if(failure.begin(), failure.end(), [](const JsonObject& e) {
    return JsonString(e, "event") == "message";
  });
  ASSERT_NE(message, failure.end());
  EXPECT_EQ(JsonString(*message, "caption"), "zelvoGDB Setup");
  EXPECT_EQ(JsonString(*message, "text"), "Cannot connect to ZELVO loader!");
  EXPECT_EQ(JsonInteger(failure.back(), "exit_code", -1), 3);
  EXPECT_THAT(JsonString(failure.back(), "cause"), HasSubstr("does not exist"));
}

TEST_F(CliProgramTest, VerifyFindsAByteThatTheFlashCouldNotTake) {
  // The box's flash holds 00 at 0x01010000, outside the sectors the update erases; programming
  // stores old AND new, so the record of 5A bytes there reads back as 00.
  std::string state = WriteFile("box.state", "zelvo9-sim-state 1\nflash 01010000 00\nend\n");
  SimProcess sim;
  std::string pty = StartBox(sim, {"--state", state});
  WriteFirmware(S3Record(0x01010000, {0x5A, 0x5A, 0x5A, 0x5A}));
  CliRun run = RunCli({"update", "--port", pty, "--verify"}, Env());
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Updating firmware and logic passed!\n"));
  EXPECT_THAT(run.out, HasSubstr("Verifying firmware ... failed!\n"));
  EXPECT_THAT(run.out,
              HasSubstr("the flash differs at 0x01010000: the file has 5A, the box reads 00"));
}

TEST_F(CliProgramTest, TwoBoxesAreUpdatedInParallelWithASummary) {
  SimProcess first;
  SimProcess second;
  std::string a = StartBox(first, {"--serial", "AAAA0001"});
  std::string b = StartBox(second, {"--serial", "BBBB0002"});
  WriteFirmware();
  CliRun run = RunCli({"update", "--port", a + "," + b, "--speed", "115200"}, Env());
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  // Both boxes were being connected before either had finished its update.
  size_t last_start = std::max(run.out.find(a + ": Connecting to ZELVO Loader ..."),
                               run.out.find(b + ": Connecting to ZELVO Loader ..."));
  size_t first_end = std::min(run.out.find(a + ": Updating firmware and logic passed!"),
                              run.out.find(b + ": Updating firmware and logic passed!"));
  ASSERT_NE(last_start, std::string::npos) << run.out;
  ASSERT_NE(first_end, std::string::npos) << run.out;
  EXPECT_LT(last_start, first_end);
  EXPECT_THAT(run.out, ContainsRegex("Port +Serial number +Result +Time\n"));
  EXPECT_THAT(run.out, ContainsRegex(a + " +AAAA0001 +passed +[0-9]+\\.[0-9] s\n"));
  EXPECT_THAT(run.out, ContainsRegex(b + " +BBBB0002 +passed +[0-9]+\\.[0-9] s\n"));
  EXPECT_THAT(run.out, HasSubstr("2 of 2 boxes passed.\n"));
}

TEST_F(CliProgramTest, ABoxThatCannotBeReachedFailsTheParallelRun) {
  SimProcess sim;
  std::string good = StartBox(sim);
  std::string missing = dir_ + "/missing";
  CliRun run = RunCli({"info", "--port", good, "--port", missing, "--json"}, Env());
  EXPECT_EQ(run.exit_code, 3) << run.out;
  std::vector<JsonObject> events = JsonLines(run.out);
  std::map<std::string, int64_t> exit_by_port;
  for (const JsonObject& e : events) {
    if (JsonString(e, "event") == "result") {
      exit_by_port[JsonString(e, "port")] = JsonInteger(e, "exit_code", -1);
    }
  }
  EXPECT_EQ(exit_by_port, (std::map<std::string, int64_t>{{good, 0}, {missing, 3}}));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(JsonString(events.back(), "event"), "summary");
  EXPECT_EQ(JsonInteger(events.back(), "passed", -1), 1);
  EXPECT_EQ(JsonInteger(events.back(), "exit_code", -1), 3);
}

TEST_F(CliProgramTest, OnATerminalTheStatusLineIsRedrawnInPlace) {
  SimProcess sim;
  std::string pty = StartBox(sim);
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  CliRun run = RunCli({"info", "--port", pty}, Env(), -1, terminal);
  close(terminal);
  std::string screen;
  char buffer[4096];
  ssize_t n = 0;
  fcntl(master, F_SETFL, O_NONBLOCK);
  while ((n = read(master, buffer, sizeof buffer)) > 0) screen.append(buffer, n);
  close(master);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_THAT(screen, HasSubstr("\r\033[KConnecting to ZELVO Loader ...\r\033[K"
                                "Connecting to ZELVO Loader passed!"));
}

TEST_F(CliProgramTest, BadOptionsExitWithTwoAndHelpShowsAnExamplePerCommand) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"flash"}, "unknown command 'flash'"},
      {{"info", "--speed", "4800"}, "--speed takes"},
      {{"info", "--port", "COM20"}, "unknown port 'COM20'"},
      {{"info", "--verify"}, "--verify belongs to the update command only"},
      {{"start", "--port", "COM1,COM2"}, "start takes one port"},
  };
  for (const Case& c : cases) {
    CliRun run = RunCli(c.args, Env());
    EXPECT_EQ(run.exit_code, 2) << c.error;
    EXPECT_THAT(run.err, HasSubstr(c.error));
  }
  CliRun help = RunCli({"--help"}, Env());
  EXPECT_EQ(help.exit_code, 0);
  for (const char* example :
       {"zelvogdb-cli info --port", "zelvogdb-cli update --port", "zelvogdb-cli erase --port",
        "zelvogdb-cli transmit --port", "zelvogdb-cli start --port"}) {
    EXPECT_THAT(help.out, HasSubstr(example));
  }
  CliRun erase_help = RunCli({"erase", "--help"}, Env());
  EXPECT_EQ(erase_help.exit_code, 0);
  EXPECT_THAT(erase_help.out, AllOf(HasSubstr("Erase Flash and EPLD? [y/N]"),
                                    HasSubstr("zelvogdb-cli erase --port /dev/ttyUSB0 --yes")));
}

}  // namespace
}  // namespace zelvo::cli
