// Update files that change or vanish while an update reads them: the firmware file edited when a
// given ProgramFlash request reaches the box, the JEDEC file edited right after its header
// search. A file that changes under the reader must fail the update with the documented texts,
// never be programmed half old and half new, and never leave a box reported as updated with
// less than the file; a file replaced by a new one, or deleted, is read on as it was opened
// (this system keeps an open file's data), so the box then holds exactly what was opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/setup_dialog.h"
#include "firmware/firmware_update.h"
#include "firmware/update_files.h"
#include "link/loader_handshake.h"
#include "link/serial_channel.h"
#include "logic/logic_sequences.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/recording_feedback.h"
#include "platform/tick_clock.h"
#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"
#include "sim/box.h"
#include "tests/support/box_contents.h"
#include "tests/support/update_dir.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

// Sits between the line and the box and runs an action once the box has taken a given
// ProgramFlash request (counted from 1).
class EditingPeer final : public platform::LinePeer {
 public:
  explicit EditingPeer(sim::Box& box) : box_(box) {}

  void AtProgramFlash(int number, std::function<void()> action) {
    seen_ = 0;
    at_ = number;
    action_ = std::move(action);
  }

  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override {
    size_t before = box_.requests().size();
    box_.OnHostBytes(data, count, baud, start);
    for (size_t i = before; i < box_.requests().size(); ++i) {
      if (box_.requests()[i].opcode == sim::kOpProgramFlash && ++seen_ == at_ && action_) {
        action_();
        action_ = nullptr;
      }
    }
  }
  void TakeOutput(std::vector<platform::TimedByte>& out) override { box_.TakeOutput(out); }

 private:
  sim::Box& box_;
  int seen_ = 0;
  int at_ = 0;
  std::function<void()> action_;
};

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
// The first `lines` lines of `text`, each with its line feed.
std::string FirstLines(const std::string& text, size_t lines) {
  size_t at = 0;
  for (size_t i = 0; i < lines && at != std::string::npos; ++i) at = text.find('\n', at) + 1;
  return text.substr(0, at);
}

// COM1 wired through an EditingPeer to the simulated box, on a virtual clock, with update files
// of the test's own.
class UpdateFileChangeTest : public ::testing::Test {
 protected:
  UpdateFileChangeTest() : ticks_(clock_), peer_(box_), line_(peer_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
    ResetLastProgressPercentForTesting();
  }
  ~UpdateFileChangeTest() override {
    CloseLink();
    SerialChannel::ClosePort();
  }

  platform::VirtualClock clock_{1000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  EditingPeer peer_;
  platform::InProcessSerialLine line_;
  testing::UpdateDir updates_;
};

// ---- The firmware file, through the dialog's Update ----

struct FirmwareEdit {
  const char* name;
  // Changes the file at `path`; `original` is its content, `other` that of another version.
  std::function<void(const std::string& path, const std::string& original,
                     const std::string& other)>
      edit;
  bool update_passes;  // true: the box ends up holding exactly the original file
};

std::ostream& operator<<(std::ostream& out, const FirmwareEdit& e) {
  return out << e.name;
}

class FirmwareFileChangeTest : public UpdateFileChangeTest,
                               public ::testing::WithParamInterface<FirmwareEdit> {};

TEST_P(FirmwareFileChangeTest, ChangedFileFailsTheUpdateOrIsReadAsOpened) {
  const FirmwareEdit& edit = GetParam();
  tools::FirmwareImage image = updates_.Firmware(105, 64 * 1024);
  tools::FirmwareImageOptions options;
  options.version = 106;
  options.size = 64 * 1024;
  const std::string other = tools::MakeFirmwareImage(options)->text;
  const std::string path = UpdateFilePath(kFirmwareStem, 105);
  testing::GiveBoxVersions(box_, 104, 12);
  updates_.Logic(12);

  platform::ui::HeadlessDialogWindow window(platform::ui::SetupDialogTemplate());
  CSetupDlg dlg(window);
  dlg.port_index = 0;
  dlg.speed_index = 4;
  dlg.box_ip_address = "192.168.1.10";
  dlg.Initialise();
  dlg.OnConnect();
  ASSERT_TRUE(dlg.connected());
  window.ClearEvents();
  // Record 100 of about 2000 is on its way: well past what the reader holds in its buffer.
  peer_.AtProgramFlash(100, [&] { edit.edit(path, image.text, other); });
  dlg.OnUpdate();

  Texts statuses = window.StatusTexts();
  if (edit.update_passes) {
    EXPECT_EQ(window.recorder().status(), "Updating firmware and logic passed!");
    EXPECT_TRUE(window.MessageTexts().empty());
    EXPECT_EQ(box_.flash().Read(image.address, image.data.size()), image.data);
    EXPECT_EQ(box_.firmware_raw_version(), 0x3000 + 105);
    return;
  }
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Firmware: Programming Flash ... failed!"),
            statuses.end());
  EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "Firmware: Programming Flash ... passed!"),
            statuses.end());
  EXPECT_EQ(window.MessageTexts(), Texts{"Firmware update failed!"});
  EXPECT_EQ(window.recorder().status(), "Updating firmware and logic failed!");
  EXPECT_EQ(box_.firmware_raw_version(), 0) << "the marker must not be written";
  EXPECT_EQ(window.WaitCursorLevel(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FirmwareFileChangeTest,
    ::testing::Values(
        FirmwareEdit{"TruncatedAtALineEnd",
                     [](const std::string& path, const std::string& original, const std::string&) {
                       fs::resize_file(path, FirstLines(original, 1000).size());
                     },
                     false},
        FirmwareEdit{"TruncatedInsideALine",
                     [](const std::string& path, const std::string& original, const std::string&) {
                       fs::resize_file(path, FirstLines(original, 1000).size() - 7);
                     },
                     false},
        FirmwareEdit{"TruncatedToNothing",
                     [](const std::string& path, const std::string&, const std::string&) {
                       fs::resize_file(path, 0);
                     },
                     false},
        FirmwareEdit{"RewrittenInPlaceWithAnotherVersion",
                     [](const std::string& path, const std::string&, const std::string& other) {
                       WriteAll(path, other);
                     },
                     false},
        FirmwareEdit{"ReplacedByAnotherFile",
                     [](const std::string& path, const std::string&, const std::string& other) {
                       WriteAll(path + ".new", other);
                       fs::rename(path + ".new", path);
                     },
                     true},
        FirmwareEdit{"Deleted",
                     [](const std::string& path, const std::string&, const std::string&) {
                       fs::remove(path);
                     },
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The JEDEC file, right after its header search ----

// Runs an action at the first wait-cursor level begun, which the JEDEC reader begins once its
// header search has ended.
class HookedFeedback final : public platform::RecordingFeedback {
 public:
  std::function<void()> at_first_wait;
  void BeginWaitCursor() override {
    RecordingFeedback::BeginWaitCursor();
    if (at_first_wait) {
      auto action = std::move(at_first_wait);
      at_first_wait = nullptr;
      action();
    }
  }
};

struct JedecEdit {
  const char* name;
  std::function<void(const std::string& path, const std::string& other)> edit;
  const char* message;  // the documented failure, or nullptr when the file is read as opened
};

std::ostream& operator<<(std::ostream& out, const JedecEdit& e) {
  return out << e.name;
}

class JedecFileChangeTest : public UpdateFileChangeTest,
                            public ::testing::WithParamInterface<JedecEdit> {};

TEST_P(JedecFileChangeTest, ChangedFileFailsTheLogicPartOrIsReadAsOpened) {
  const JedecEdit& edit = GetParam();
  tools::LogicImage image = updates_.Logic(12);
  const std::string other = tools::MakeLogicImage("SWDJED20", 13).text;
  const std::string path = UpdateFilePath(kLogicStem, 12);
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  box_.ClearRequests();

  HookedFeedback feedback;
  feedback.at_first_wait = [&] { edit.edit(path, other); };
  bool ok = LogicUpdateSequence(12, "12345678", feedback);
  EXPECT_EQ(feedback.cursor_level(), 0);

  if (edit.message == nullptr) {
    EXPECT_TRUE(ok);
    EXPECT_TRUE(feedback.MessageTexts().empty());
    for (int row = 0; row < 134; ++row) ASSERT_EQ(box_.logic().row(row), image.rows[row]) << row;
    EXPECT_EQ(box_.logic_raw_version(), 14012);
    return;
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(feedback.MessageTexts(), Texts{edit.message});
  // The file is read before anything is sent: only access off reaches the box.
  ASSERT_EQ(box_.requests().size(), 1u);
  EXPECT_EQ(box_.requests()[0].opcode, sim::kOpSetLogicAccess);
  EXPECT_EQ(box_.logic_raw_version(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, JedecFileChangeTest,
    ::testing::Values(
        JedecEdit{"Deleted", [](const std::string& path, const std::string&) { fs::remove(path); },
                  nullptr},
        JedecEdit{"ReplacedByAnotherFile",
                  [](const std::string& path, const std::string& other) {
                    WriteAll(path + ".new", other);
                    fs::rename(path + ".new", path);
                  },
                  nullptr},
        JedecEdit{"TruncatedAfterTheHeader",
                  [](const std::string& path, const std::string&) { fs::resize_file(path, 100); },
                  "Illegal JEDEC file format!"}),
    [](const auto& info) { return std::string(info.param.name); });

// Open finding in the JEDEC reader, kept as its regression case: a file written over in place
// while it is read (here another version of the same layout) gives rows that are part old and
// part new, every one of them 240 fuses, so the reader takes them and the device is programmed
// and verified with a fuse map that is in neither file. The reader can ask
// TextFile::ChangedSinceOpen before it returns, as the firmware update does.
TEST_F(UpdateFileChangeTest, JedecFileWrittenOverInPlaceFailsTheLogicPart) {
  updates_.Logic(12);
  const std::string other = tools::MakeLogicImage("SWDJED20", 13).text;
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  box_.ClearRequests();
  HookedFeedback feedback;
  feedback.at_first_wait = [&] { WriteAll(UpdateFilePath(kLogicStem, 12), other); };
  EXPECT_FALSE(LogicUpdateSequence(12, "12345678", feedback));
  EXPECT_EQ(feedback.MessageTexts(), Texts{"Illegal JEDEC file format!"});
  EXPECT_EQ(box_.requests().size(), 1u) << "only access off";
}

}  // namespace
}  // namespace zelvo
