// The box lost in the middle of an update, through real pseudo-terminals and the termios
// backend: the zelvo9-sim program hangs up or is killed as a pulled USB adapter would go, and is
// started again on the same saved state. And two programs on one port.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/setup_dialog.h"
#include "firmware/firmware_update.h"
#include "link/line_trace.h"
#include "link/serial_channel.h"
#include "platform/serial_device.h"
#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"
#include "sim/box.h"
#include "sim/box_state_file.h"
#include "tests/reliability/sim_process.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/update_dir.h"

namespace zelvo {
namespace {

namespace id = platform::ui::setup_dialog;
using testing::SimProcess;
using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// No command may take longer than this in real time; the slowest here is a Connect (its 300 ms
// pauses) or an update of the small files below over the pty.
constexpr auto kCommandLimit = std::chrono::seconds(20);

// The Update/Setup dialog on a headless window, its port COM1 pointed at a zelvo9-sim pty.
class Session {
 public:
  explicit Session(const std::string& device) : window_(platform::ui::SetupDialogTemplate()) {
    ::setenv("ZELVO_COM1", device.c_str(), 1);
    dlg_ = std::make_unique<CSetupDlg>(window_);
    dlg_->port_index = 0;
    dlg_->speed_index = 4;
    dlg_->box_ip_address = "192.168.1.10";
    dlg_->config_host_ip_address = "192.168.1.1";
    dlg_->subnet_mask = "255.255.255.0";
    dlg_->default_gateway = "192.168.1.254";
    dlg_->Initialise();
  }

  // Runs a command and returns how long it took.
  template <typename Command>
  Clock::duration Run(Command command) {
    window_.ClearEvents();
    auto start = Clock::now();
    ((*dlg_).*command)();
    return Clock::now() - start;
  }

  CSetupDlg& dlg() { return *dlg_; }
  platform::ui::HeadlessDialogWindow& window() { return window_; }
  std::string status() const { return window_.recorder().status(); }
  Texts messages() const { return window_.MessageTexts(); }
  bool Shown(const std::string& text) const {
    Texts all = window_.StatusTexts();
    return std::find(all.begin(), all.end(), text) != all.end();
  }
  std::string Text(int control) { return window_.FindControl(control)->GetWindowText(); }

 private:
  platform::ui::HeadlessDialogWindow window_;
  std::unique_ptr<CSetupDlg> dlg_;
};

class LostDeviceTest : public ::testing::Test {
 protected:
  LostDeviceTest() {
    state_ = (std::filesystem::path(::testing::TempDir()) /
              ("zelvo-lost-device-" + std::to_string(::getpid()) + ".state"))
                 .string();
    std::remove(state_.c_str());
    firmware_ = updates_.Firmware(105, 8 * 1024);
    logic_ = updates_.Logic(12);
    ResetLastProgressPercentForTesting();
  }
  ~LostDeviceTest() override {
    SetLineTracer(nullptr);
    CloseLink();
    SerialChannel::ClosePort();
    ::unsetenv("ZELVO_COM1");
    std::remove(state_.c_str());
  }

  // Starts the box on its saved state, listening at 115200 baud; returns its pty.
  std::string StartBox(SimProcess& sim, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--rate", "115200", "--state", state_};
    args.insert(args.end(), more.begin(), more.end());
    std::string device = sim.Start(ZELVO9_SIM_PATH, args);
    EXPECT_EQ(device.rfind("/dev/", 0), 0u) << "zelvo9-sim did not start: '" << device << "'";
    return device;
  }

  void ConnectOrFail(Session& session) {
    EXPECT_LT(session.Run(&CSetupDlg::OnConnect), kCommandLimit);
    ASSERT_TRUE(session.dlg().connected()) << session.status();
  }

  // The documented outcome of a firmware update that loses the box while programming, and a
  // program that stays usable afterwards: Current fails at once, Cancel closes the link.
  void ExpectFailedUpdateAndUsableProgram(Session& session) {
    EXPECT_TRUE(session.Shown("Firmware: Programming Flash ... failed!"));
    EXPECT_EQ(session.messages(), Texts{"Firmware update failed!"});
    EXPECT_EQ(session.status(), "Updating firmware and logic failed!");
    EXPECT_EQ(session.Text(id::kFirmwareCurrentDisplay), "unknown");
    EXPECT_EQ(session.window().WaitCursorLevel(), 0);

    EXPECT_LT(session.Run(&CSetupDlg::OnCurrent), kCommandLimit);
    EXPECT_EQ(session.messages(), Texts{"Communication with ZELVO failed!"});
    EXPECT_EQ(session.status(), "Reading current versions failed!");
    EXPECT_LT(session.Run(&CSetupDlg::OnCancel), kCommandLimit);
    EXPECT_TRUE(session.window().ended());
    EXPECT_FALSE(SerialChannel::PortIsOpen());
  }

  // Back on a restarted box: a new Connect succeeds, the box shows no firmware (the marker comes
  // last), Update repairs it, and the state the box saves at its end holds the files exactly.
  void ExpectRepairOnRestartedBox() {
    SimProcess sim;
    Session session(StartBox(sim));
    ConnectOrFail(session);
    EXPECT_EQ(session.Text(id::kFirmwareCurrentDisplay), "unknown");
    EXPECT_LT(session.Run(&CSetupDlg::OnUpdate), kCommandLimit);
    EXPECT_EQ(session.status(), "Updating firmware and logic passed!");
    EXPECT_TRUE(session.messages().empty());
    EXPECT_EQ(session.Text(id::kFirmwareCurrentDisplay), "1.05");
    session.Run(&CSetupDlg::OnCancel);
    ASSERT_EQ(sim.Stop(SIGTERM), 0);

    sim::Box saved;
    std::string error;
    ASSERT_TRUE(sim::LoadBoxState(saved, state_, error)) << error;
    EXPECT_EQ(saved.flash().Read(firmware_.address, firmware_.data.size()), firmware_.data);
    EXPECT_EQ(saved.firmware_raw_version(), 0x3000 + 105);
    for (int row = 0; row < 134; ++row) ASSERT_EQ(saved.logic().row(row), logic_.rows[row]);
    EXPECT_EQ(saved.logic_raw_version(), 14012);
  }

  testing::UpdateDir updates_;
  tools::FirmwareImage firmware_;
  tools::LogicImage logic_;
  std::string state_;
};

TEST_F(LostDeviceTest, BoxThatHangsUpMidUpdateFailsCleanlyAndIsRepairedWhenBack) {
  {
    SimProcess sim;
    // The connect's ping, the identity's check and query, three erases, then 34 records.
    Session session(StartBox(sim, {"--exit-after-requests", "40"}));
    ConnectOrFail(session);
    EXPECT_LT(session.Run(&CSetupDlg::OnUpdate), kCommandLimit);
    EXPECT_EQ(sim.Stop(0), 0) << "the program ends by itself after its last request";
    ExpectFailedUpdateAndUsableProgram(session);
  }
  ExpectRepairOnRestartedBox();
}

TEST_F(LostDeviceTest, BoxKilledMidUpdateFailsCleanlyAndIsRepairedWhenBack) {
  {
    SimProcess sim;
    Session session(StartBox(sim));
    ConnectOrFail(session);
    // Kill the box as the 100th record goes out, like a pulled plug: no clean hang-up, no save.
    int records = 0;
    SetLineTracer([&](const LineTraceEvent& event) {
      if (event.kind != LineTraceEvent::Kind::kWrite) return;
      testing::Bytes message = testing::Unframed(event.bytes);
      if (message.size() > 2 && message[2] == 'h' && ++records == 100) sim.Kill();
    });
    EXPECT_LT(session.Run(&CSetupDlg::OnUpdate), kCommandLimit);
    SetLineTracer(nullptr);
    EXPECT_FALSE(sim.running());
    ExpectFailedUpdateAndUsableProgram(session);
  }
  ExpectRepairOnRestartedBox();
}

// Waits for a child process; its exit status, or -1 after the hang guard (then it is killed).
int WaitForChild(pid_t child) {
  int status = 0;
  for (int waited = 0; waited < SimProcess::kHangGuardMs; waited += 10) {
    if (::waitpid(child, &status, WNOHANG) == child)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::usleep(10'000);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  return -1;
}

TEST_F(LostDeviceTest, SecondProgramOnTheSamePortIsRefusedAndTheFirstGoesOn) {
  SimProcess sim;
  std::string device = StartBox(sim);
  Session first(device);
  ConnectOrFail(first);

  // A second open in this process, past the link: the device is held.
  platform::OpenResult second = platform::OpenSerialDevice(device);
  EXPECT_EQ(second.device, nullptr);
  EXPECT_EQ(second.error, platform::OpenError::kBusy);

  // A second program: a child process that lets go of the link it inherited (which closes only
  // its own copy of the descriptor) and then tries as a program of its own would.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SerialChannel::ClosePort();
    SerialChannel::SetOpenFlag(0);
    int failures = 0;
    platform::OpenResult open = platform::OpenSerialDevice(device);
    if (open.device != nullptr || open.error != platform::OpenError::kBusy) failures |= 1;
    Session other(device);
    other.Run(&CSetupDlg::OnConnect);
    if (other.dlg().connected()) failures |= 2;
    if (other.messages() != Texts{"Cannot connect to ZELVO loader!"}) failures |= 4;
    if (other.status() != "Connecting to ZELVO loader failed!") failures |= 8;
    std::fflush(nullptr);
    ::_exit(failures);
  }
  EXPECT_EQ(WaitForChild(child), 0)
      << "bits: 1 the device opened, 2 connected, 4 wrong message, 8 wrong status";

  // The first program has not been disturbed: it reads the box and updates it.
  EXPECT_LT(first.Run(&CSetupDlg::OnCurrent), kCommandLimit);
  EXPECT_EQ(first.status(), "Reading current versions passed!");
  EXPECT_LT(first.Run(&CSetupDlg::OnUpdate), kCommandLimit);
  EXPECT_EQ(first.status(), "Updating firmware and logic passed!");
  EXPECT_TRUE(first.messages().empty());
  first.Run(&CSetupDlg::OnCancel);
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace zelvo
