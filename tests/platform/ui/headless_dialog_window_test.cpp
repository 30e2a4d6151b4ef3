#include "platform/ui/headless_dialog_window.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/setup_dialog_template.h"

namespace zelvo::platform::ui {
namespace {

namespace ids = setup_dialog;
using ::testing::ElementsAre;
using Kind = RecordingFeedback::Kind;

class HeadlessDialogWindowTest : public ::testing::Test {
 protected:
  void Open() { ASSERT_EQ(window.RunModal(nullptr), kDialogFailed); }

  HeadlessDialogWindow window{SetupDialogTemplate()};
};

TEST_F(HeadlessDialogWindowTest, HasTheTemplatesControlsAndTexts) {
  const DialogTemplate& t = SetupDialogTemplate();
  ASSERT_EQ(window.controls().size(), t.controls.size());
  for (size_t i = 0; i < t.controls.size(); ++i) {
    SCOPED_TRACE(t.controls[i].text);
    EXPECT_EQ(window.controls()[i]->Id(), t.controls[i].id);
    if (t.controls[i].kind != ControlKind::kDropDownList) {
      EXPECT_EQ(window.controls()[i]->GetWindowText(), t.controls[i].text);
    }
    EXPECT_TRUE(window.controls()[i]->IsWindowEnabled());
  }
  DropDownList* ports = window.FindList(ids::kPortList);
  ASSERT_NE(ports, nullptr);
  ASSERT_EQ(ports->GetCount(), 19);
  EXPECT_EQ(ports->GetLBText(0), "COM1");
  EXPECT_EQ(ports->GetLBText(18), "COM19");
  EXPECT_EQ(ports->GetCurSel(), -1);
  DropDownList* speeds = window.FindList(ids::kSpeedList);
  ASSERT_NE(speeds, nullptr);
  ASSERT_EQ(speeds->GetCount(), 5);
  EXPECT_EQ(speeds->GetLBText(4), "115200");
  // The kinds are those the template names.
  EXPECT_NE(window.FindButton(ids::kConnectButton), nullptr);
  EXPECT_EQ(window.FindButton(ids::kStatusLine), nullptr);
  EXPECT_NE(window.FindEdit(ids::kConfigFileNameEdit), nullptr);
  EXPECT_EQ(window.FindControl(kNoControlId), nullptr);
  EXPECT_EQ(window.FindControl(119), nullptr);
}

TEST_F(HeadlessDialogWindowTest, RecordsStatusTextsMessagesAndCursorLevelsInOrder) {
  window.SetCommandHandler(ids::kEraseButton, [this] {
    if (window.MessageBox("Erase Flash and EPLD?", kApplicationTitle, MessageIcon::kExclamation,
                          MessageButtons::kYesNo) != MessageAnswer::kYes) {
      return;
    }
    window.BeginWaitCursor();
    window.Status().SetText("Erasing Flash and EPLD ...");
    window.BeginWaitCursor();
    window.EndWaitCursor();
    window.EndWaitCursor();
    window.ShowMessage("done");
  });
  Open();
  // The template's status text is where the window starts, not something a command showed.
  EXPECT_EQ(window.FindStatic(ids::kStatusLine)->GetWindowText(), "Loading firmware, please wait");
  EXPECT_TRUE(window.events().empty());

  window.Answer(MessageAnswer::kNo);
  ASSERT_TRUE(window.Press(ids::kEraseButton));
  ASSERT_TRUE(window.Press(ids::kEraseButton));  // no more answers queued: Yes

  std::vector<Kind> kinds;
  std::vector<int> levels;
  for (const RecordingFeedback::Event& e : window.events()) {
    kinds.push_back(e.kind);
    levels.push_back(e.cursor_level);
  }
  EXPECT_THAT(kinds, ElementsAre(Kind::kMessage, Kind::kMessage, Kind::kBeginWait, Kind::kStatus,
                                 Kind::kBeginWait, Kind::kEndWait, Kind::kEndWait, Kind::kMessage));
  EXPECT_THAT(levels, ElementsAre(0, 0, 1, 1, 2, 1, 0, 0));
  EXPECT_EQ(window.events()[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(window.events()[7].caption, "zelvoGDB Setup");
  EXPECT_EQ(window.events()[7].icon, MessageIcon::kNone);
  EXPECT_THAT(window.StatusTexts(), ElementsAre("Erasing Flash and EPLD ..."));
  EXPECT_EQ(window.FindStatic(ids::kStatusLine)->GetWindowText(), "Erasing Flash and EPLD ...");
}

TEST_F(HeadlessDialogWindowTest, TextsOnOtherStaticsAreNoStatusTexts) {
  window.FindStatic(ids::kSerialNumberDisplay)->SetWindowText("12345678");
  window.FindStatic(ids::kStatusLine)->SetText("");
  EXPECT_THAT(window.StatusTexts(), ElementsAre(""));
}

TEST_F(HeadlessDialogWindowTest, RunModalInitialisesFocusesAndPlaysTheScript) {
  std::vector<std::string> log;
  window.SetCommandHandler(ids::kCurrentButton, [&] { log.push_back("current"); });
  window.Then([&](HeadlessDialogWindow& w) {
    log.push_back("focus " + std::to_string(w.focused_id()));
    w.PressEnter();  // the focused button
  });
  window.Then([](HeadlessDialogWindow& w) { w.Type(ids::kBoxIpAddressEdit, "1.2.3.4"); });
  window.Then([](HeadlessDialogWindow& w) { w.PressEnter(); });  // the default button: Ok
  window.Then([&](HeadlessDialogWindow&) { log.push_back("never"); });

  const int result = window.RunModal([&] {
    log.push_back("init");
    window.FindButton(ids::kConnectButton)->EnableWindow(false);
  });

  // Connect, the first tab stop, was disabled: the focus goes to the next one.
  EXPECT_EQ(result, kIdOk);
  EXPECT_THAT(log, ElementsAre("init", "focus 105", "current"));
  EXPECT_TRUE(window.ended());
  EXPECT_EQ(window.RunModal(nullptr), kDialogFailed);  // a window runs once
}

TEST_F(HeadlessDialogWindowTest, ScriptRunningOutLeavesTheWindowOpen) {
  window.Then([](HeadlessDialogWindow& w) { w.Pick(ids::kSpeedList, 3); });
  EXPECT_EQ(window.RunModal(nullptr), kDialogFailed);
  EXPECT_TRUE(window.is_open());
  EXPECT_EQ(window.FindList(ids::kSpeedList)->GetCurSel(), 3);
  EXPECT_TRUE(window.PressEscape());
  EXPECT_EQ(window.result(), kIdCancel);
}

TEST_F(HeadlessDialogWindowTest, UserActsOnlyOnAnOpenWindowAndEnabledControls) {
  int presses = 0;
  window.SetCommandHandler(ids::kUpdateButton, [&] { ++presses; });
  EXPECT_FALSE(window.Press(ids::kUpdateButton));  // not open yet
  Open();
  window.FindButton(ids::kUpdateButton)->EnableWindow(false);
  EXPECT_FALSE(window.Press(ids::kUpdateButton));
  window.FindButton(ids::kUpdateButton)->EnableWindow(true);
  EXPECT_TRUE(window.Press(ids::kUpdateButton));
  EXPECT_FALSE(window.Press(ids::kSerialNumberDisplay));  // not a button
  EXPECT_FALSE(window.Type(ids::kSerialNumberDisplay, "x"));
  EXPECT_FALSE(window.Pick(ids::kPortList, 19));
  EXPECT_FALSE(window.Pick(ids::kPortList, -1));
  window.FindEdit(ids::kBoxIpAddressEdit)->EnableWindow(false);
  EXPECT_FALSE(window.Type(ids::kBoxIpAddressEdit, "1.2.3.4"));
  EXPECT_EQ(window.FindEdit(ids::kBoxIpAddressEdit)->GetWindowText(), "");
  EXPECT_TRUE(window.Press(kIdCancel));  // no handler: Cancel ends the dialog
  EXPECT_FALSE(window.Press(ids::kUpdateButton));
  EXPECT_EQ(presses, 1);
}

TEST_F(HeadlessDialogWindowTest, TakesNoInputWhileACommandRuns) {
  bool nested = true;
  std::string typed_during = "unset";
  window.SetCommandHandler(ids::kConnectButton, [&] {
    nested = window.Press(ids::kCurrentButton) || window.PressEscape() ||
             window.Type(ids::kBoxIpAddressEdit, "9.9.9.9");
    typed_during = window.FindEdit(ids::kBoxIpAddressEdit)->GetWindowText();
    EXPECT_TRUE(window.command_running());
  });
  window.SetCommandHandler(ids::kCurrentButton, [] { FAIL() << "pressed during a command"; });
  Open();
  ASSERT_TRUE(window.Press(ids::kConnectButton));
  EXPECT_FALSE(nested);
  EXPECT_EQ(typed_during, "");
  EXPECT_FALSE(window.command_running());
  EXPECT_TRUE(window.is_open());
}

TEST_F(HeadlessDialogWindowTest, AnExceptionFromACommandIsReportedAndTheCursorRestored) {
  window.SetCommandHandler(ids::kUpdateButton, [this] {
    window.BeginWaitCursor();
    window.BeginWaitCursor();
    throw std::runtime_error("cannot read SWDJED20.012: Input/output error");
  });
  int later = 0;
  window.SetCommandHandler(ids::kCurrentButton, [&] { ++later; });
  Open();
  window.BeginWaitCursor();  // a level that is not the command's stays
  ASSERT_TRUE(window.Press(ids::kUpdateButton));
  EXPECT_EQ(window.WaitCursorLevel(), 1);
  ASSERT_EQ(window.MessageTexts().size(), 1u);
  const RecordingFeedback::Event& box = window.events().back();
  EXPECT_EQ(box.text, "cannot read SWDJED20.012: Input/output error");
  EXPECT_EQ(box.icon, MessageIcon::kExclamation);
  EXPECT_EQ(box.cursor_level, 1);
  EXPECT_TRUE(window.is_open());
  EXPECT_TRUE(window.Press(ids::kCurrentButton));
  EXPECT_EQ(later, 1);
}

TEST_F(HeadlessDialogWindowTest, HandlerMayReplaceItselfWhileRunning) {
  int first = 0;
  int second = 0;
  window.SetCommandHandler(ids::kCurrentButton, [&] {
    ++first;
    window.SetCommandHandler(ids::kCurrentButton, [&] { ++second; });
  });
  Open();
  ASSERT_TRUE(window.Press(ids::kCurrentButton));
  ASSERT_TRUE(window.Press(ids::kCurrentButton));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST_F(HeadlessDialogWindowTest, EndDuringInitialisationSkipsTheScript) {
  bool ran = false;
  window.Then([&](HeadlessDialogWindow&) { ran = true; });
  EXPECT_EQ(window.RunModal([this] { window.EndDialog(kIdCancel); }), kIdCancel);
  EXPECT_FALSE(ran);
  window.EndDialog(kIdOk);  // the first end counts
  EXPECT_EQ(window.result(), kIdCancel);
}

TEST(HeadlessDialogFactoryTest, KeepsEachWindowAfterItsOwnerIsGone) {
  HeadlessDialogFactory factory([](HeadlessDialogWindow& w) {
    w.Then([](HeadlessDialogWindow& user) { user.Press(kIdOk); });
  });
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<DialogWindow> window = factory.CreateDialogWindow(SetupDialogTemplate());
    window->Status().SetText("run " + std::to_string(i));
    EXPECT_EQ(window->RunModal(nullptr), kIdOk);
  }
  ASSERT_EQ(factory.windows().size(), 2u);
  EXPECT_THAT(factory.windows()[0]->StatusTexts(), ElementsAre("run 0"));
  EXPECT_THAT(factory.last()->StatusTexts(), ElementsAre("run 1"));
  EXPECT_EQ(factory.last()->result(), kIdOk);
}

}  // namespace
}  // namespace zelvo::platform::ui
