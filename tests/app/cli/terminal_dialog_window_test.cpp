#include "app/cli/terminal_dialog_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/setup_dialog.h"
#include "firmware/firmware_update.h"
#include "platform/ui/setup_dialog_template.h"
#include "tests/support/box_fixture.h"
#include "tests/support/update_dir.h"

namespace zelvo::cli {
namespace {

namespace id = platform::ui::setup_dialog;
using platform::MessageAnswer;

// A stream that notes, at every flush, what had been written and what the box had received by
// then: so a test can tell that a text reached the terminal before the work it announces.
class FlushLog : public std::stringbuf {
 public:
  struct Flush {
    std::string text;  // everything written up to this flush
    std::vector<uint8_t> opcodes;
  };
  explicit FlushLog(const sim::Box& box) : box_(box) {}
  const std::vector<Flush>& flushes() const { return flushes_; }

 protected:
  int sync() override {
    Flush flush{str(), {}};
    for (const auto& r : box_.requests()) flush.opcodes.push_back(r.opcode);
    flushes_.push_back(std::move(flush));
    return 0;
  }

 private:
  const sim::Box& box_;
  std::vector<Flush> flushes_;
};

// The dialog on a terminal window over COM1, wired to a simulated box.
class CliTerminalDialogWindowTest : public zelvo::testing::BoxFixture {
 protected:
  CliTerminalDialogWindowTest()
      : log_(box_),
        stream_(&log_),
        output_(stream_, OutputMode::kLines, "COM1", nullptr),
        window_(output_,
                [this](const std::string& text) {
                  questions_.push_back(text);
                  QuestionReply reply;
                  reply.answer = answer_;
                  reply.how = "test";
                  return reply;
                }),
        dlg_(window_) {
    ResetLastProgressPercentForTesting();
    dlg_.port_index = 0;
    dlg_.speed_index = 4;
    dlg_.box_ip_address = "0.0.0.0";
  }

  void OpenAndConnect() {
    dlg_.Initialise();
    dlg_.OnConnect();
    ASSERT_TRUE(dlg_.connected()) << log_.str();
  }
  long Count(uint8_t opcode) const {
    return std::count_if(box_.requests().begin(), box_.requests().end(),
                         [&](const auto& r) { return r.opcode == opcode; });
  }

  zelvo::testing::UpdateDir updates_;
  FlushLog log_;
  std::ostream stream_;
  CliOutput output_;
  MessageAnswer answer_ = MessageAnswer::kYes;
  std::vector<std::string> questions_;
  TerminalDialogWindow window_;
  CSetupDlg dlg_;
};

TEST_F(CliTerminalDialogWindowTest, EachStatusTextReachesTheTerminalBeforeTheWorkItAnnounces) {
  updates_.Firmware(105, 1024);
  OpenAndConnect();
  box_.ClearRequests();
  dlg_.OnUpdate();
  EXPECT_EQ(window_.status(), "Updating firmware and logic passed!");
  const auto& flushes = log_.flushes();
  auto shown = [&](const std::string& text) {
    return std::find_if(flushes.begin(), flushes.end(), [&](const FlushLog::Flush& f) {
      return f.text.find(text + "\n") != std::string::npos;
    });
  };
  auto erasing = shown("Firmware: Erasing Flash ...");
  ASSERT_NE(erasing, flushes.end());
  EXPECT_TRUE(erasing->opcodes.empty()) << "shown before the first sector erase was sent";
  auto programming = shown("Firmware: Programming Flash ...");
  ASSERT_NE(programming, flushes.end());
  EXPECT_EQ(std::count(programming->opcodes.begin(), programming->opcodes.end(), 'g'), 3);
  EXPECT_EQ(std::count(programming->opcodes.begin(), programming->opcodes.end(), 'h'), 0);
  // The status control of the template shows the same text as the terminal.
  EXPECT_EQ(window_.ControlText(id::kStatusLine), "Updating firmware and logic passed!");
}

TEST_F(CliTerminalDialogWindowTest, TheDialogsControlsAndMessagesAreTheTemplatesAndPrinted) {
  box_.set_serial("ABCDEF1234");
  OpenAndConnect();
  EXPECT_EQ(window_.ControlText(id::kSerialNumberDisplay), "ABCDEF1234");
  EXPECT_EQ(window_.ControlText(id::kMacAddressDisplay), "0A1B2CABCDEF");
  EXPECT_FALSE(window_.ControlEnabled(id::kConnectButton));
  EXPECT_TRUE(window_.ControlEnabled(id::kEraseButton));

  box_.faults().drop_replies = {100, 'd'};
  dlg_.OnCurrent();
  EXPECT_NE(log_.str().find("zelvoGDB Setup: Communication with ZELVO failed!\n"
                            "Reading current versions failed!\n"),
            std::string::npos)
      << log_.str();
  EXPECT_EQ(window_.last_message(), "Communication with ZELVO failed!");
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
}

TEST_F(CliTerminalDialogWindowTest, TheEraseQuestionGoesToTheAskerAndItsAnswerCounts) {
  OpenAndConnect();
  answer_ = MessageAnswer::kNo;
  box_.ClearRequests();
  dlg_.OnErase();
  EXPECT_EQ(questions_, std::vector<std::string>{"Erase Flash and EPLD?"});
  EXPECT_TRUE(box_.requests().empty()) << "No sends nothing";
  EXPECT_NE(log_.str().find("zelvoGDB Setup: Erase Flash and EPLD? No (test)\n"),
            std::string::npos);

  answer_ = MessageAnswer::kYes;
  dlg_.OnErase();
  EXPECT_EQ(Count('g'), 6);
  EXPECT_EQ(window_.status(), "Erasing Flash and EPLD passed!");
}

TEST_F(CliTerminalDialogWindowTest, LeavingByOkStartsTheFirmwareAndEndsTheDialog) {
  OpenAndConnect();
  dlg_.OnOK();
  EXPECT_TRUE(window_.ended());
  EXPECT_EQ(window_.result(), platform::ui::kIdOk);
  EXPECT_EQ(Count('q'), 1);
  EXPECT_EQ(window_.status(), "Starting firmware please wait....");
}

}  // namespace
}  // namespace zelvo::cli
