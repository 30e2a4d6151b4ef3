// The Update/Setup dialog as wxWidgets builds it, in a real window (run under Xvfb).

#include "platform/ui/wx_dialog_window.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "platform/ui/setup_dialog_template.h"
#include "platform/ui/wx_message_style.h"
#include "platform/ui/wx_screenshot.h"

namespace zelvo::platform::ui {
namespace {

namespace ids = setup_dialog;

// Runs `while_shown` once the window shows and paints, then ends the dialog if it still runs.
int RunShown(WxDialogWindow& window, const std::function<void()>& on_init,
             const std::function<void()>& while_shown) {
  window.wx_dialog()->CallAfter([&window, while_shown] {
    for (int i = 0; i < 20 && !window.wx_dialog()->IsShownOnScreen(); ++i) wxTheApp->Yield(true);
    for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
    while_shown();
    if (window.wx_dialog()->IsModal()) window.EndDialog(kDialogFailed);
  });
  return window.RunModal(on_init);
}

std::string Label(wxWindow* widget) {
  return widget->GetLabel().utf8_string();
}

// Whether the screen shows anything else of `widget` than the picture `before` of its window.
bool ScreenChanged(const wxImage& before, WxDialogWindow& window, wxWindow* widget) {
  const wxImage now = CaptureWindow(window.wx_dialog());
  if (!before.IsOk() || !now.IsOk() || before.GetSize() != now.GetSize()) return false;
  const wxPoint origin = window.wx_dialog()->GetScreenPosition();
  const wxRect rect = widget->GetScreenRect();
  const wxRect area = wxRect(rect.GetPosition() - origin, rect.GetSize())
                          .Intersect(wxRect(wxPoint(0, 0), now.GetSize()));
  for (int y = area.GetTop(); y <= area.GetBottom(); ++y) {
    for (int x = area.GetLeft(); x <= area.GetRight(); ++x) {
      if (before.GetRed(x, y) != now.GetRed(x, y) || before.GetGreen(x, y) != now.GetGreen(x, y) ||
          before.GetBlue(x, y) != now.GetBlue(x, y)) {
        return true;
      }
    }
  }
  return false;
}

TEST(WxDialogWindowTest, BuildsEveryControlFromTheTemplate) {
  const DialogTemplate& t = SetupDialogTemplate();
  WxDialogWindow window(nullptr, t);
  wxDialog* dialog = window.wx_dialog();

  EXPECT_EQ(Label(dialog), "ZELVO9 Update/Setup");
  EXPECT_FALSE(dialog->HasFlag(wxCLOSE_BOX));
  EXPECT_FALSE(dialog->HasFlag(wxSYSTEM_MENU));
  // Without a font the dialog units would collapse.
  const wxSize base = dialog->ConvertDialogToPixels(wxSize(4, 8));
  EXPECT_GE(base.GetWidth(), 4);
  EXPECT_GE(base.GetHeight(), 8);
  EXPECT_EQ(dialog->GetClientSize(), dialog->ConvertDialogToPixels(wxSize(219, 301)));

  // Template order is the order of the children, which is the tab order.
  ASSERT_EQ(window.widgets().size(), t.controls.size());
  const wxWindowList& children = dialog->GetChildren();
  ASSERT_EQ(children.size(), t.controls.size());
  size_t i = 0;
  for (wxWindow* child : children) {
    const ControlTemplate& c = t.controls[i];
    SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(c.id) + " " + c.text);
    wxWindow* widget = window.widgets()[i];
    ASSERT_EQ(child, widget);
    if (c.id == kNoControlId) {
      EXPECT_LT(widget->GetId(), 0);
    } else {
      EXPECT_EQ(widget->GetId(), c.id);
      EXPECT_EQ(window.FindControl(c.id)->Id(), c.id);
    }
    EXPECT_TRUE(widget->IsThisEnabled());
    EXPECT_TRUE(widget->IsShown());
    EXPECT_EQ(widget->AcceptsFocusFromKeyboard(), c.tab_stop);
    const wxPoint pos = dialog->ConvertDialogToPixels(wxPoint(c.rect.x, c.rect.y));
    const wxSize size = dialog->ConvertDialogToPixels(wxSize(c.rect.width, c.rect.height));
    EXPECT_EQ(widget->GetPosition(), pos);
    EXPECT_EQ(widget->GetSize().GetWidth(), size.GetWidth());
    switch (c.kind) {
      case ControlKind::kGroupBox:
        EXPECT_NE(dynamic_cast<wxStaticBox*>(widget), nullptr);
        EXPECT_EQ(Label(widget), c.text);
        break;
      case ControlKind::kStatic: {
        EXPECT_NE(dynamic_cast<wxStaticText*>(widget), nullptr);
        EXPECT_EQ(Label(widget), c.text);
        EXPECT_EQ(widget->GetSize(), size);
        const long align = c.align == TextAlign::kCenter  ? wxALIGN_CENTRE_HORIZONTAL
                           : c.align == TextAlign::kRight ? wxALIGN_RIGHT
                                                          : 0;
        if (align != 0) {
          EXPECT_TRUE(widget->HasFlag(align));
        }
        break;
      }
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton:
        EXPECT_NE(dynamic_cast<wxButton*>(widget), nullptr);
        EXPECT_EQ(Label(widget), c.text);
        EXPECT_EQ(widget->GetSize(), size);
        break;
      case ControlKind::kEditBox: {
        auto* edit = dynamic_cast<wxTextCtrl*>(widget);
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->IsEmpty());
        EXPECT_TRUE(edit->IsSingleLine());
        EXPECT_EQ(widget->GetSize(), size);
        break;
      }
      case ControlKind::kDropDownList: {
        auto* list = dynamic_cast<wxChoice*>(widget);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->GetCount(), c.init_entries.size());
        for (unsigned int e = 0; e < list->GetCount(); ++e) {
          EXPECT_EQ(list->GetString(e).utf8_string(), c.init_entries[e]);
        }
        EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);
        break;
      }
    }
    ++i;
  }

  auto* ok = dynamic_cast<wxButton*>(dialog->GetDefaultItem());
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetId(), kIdOk);
  EXPECT_EQ(Label(ok), "Ok");
}

TEST(WxDialogWindowTest, RunsCommandsShowsTextsAtOnceAndSavesAScreenshot) {
  WxDialogWindow window(nullptr, SetupDialogTemplate());
  wxWindow* status_widget = window.wx_dialog()->FindWindow(ids::kStatusLine);
  wxWindow* connect_widget = window.wx_dialog()->FindWindow(ids::kConnectButton);
  ASSERT_NE(status_widget, nullptr);
  ASSERT_NE(connect_widget, nullptr);
  int current_presses = 0;
  bool nested_press = true;
  bool status_shown = false;
  bool last_of_quick_texts_shown = false;
  bool disabled_shown = false;
  window.SetCommandHandler(ids::kCurrentButton, [&] { ++current_presses; });
  window.SetCommandHandler(ids::kConnectButton, [&] {
    window.BeginWaitCursor();
    EXPECT_TRUE(wxIsBusy());
    // A click while the command runs waits until it has ended.
    wxCommandEvent click(wxEVT_BUTTON, ids::kCurrentButton);
    click.SetEventObject(window.wx_dialog()->FindWindow(ids::kCurrentButton));
    wxPostEvent(window.wx_dialog(), click);
    // Each text is on the screen as soon as it is set, in the middle of the command.
    wxImage before = CaptureWindow(window.wx_dialog());
    window.Status().SetText("Connecting to ZELVO Loader ...");
    status_shown = ScreenChanged(before, window, status_widget);
    nested_press = window.Press(ids::kCurrentButton);
    EXPECT_EQ(current_presses, 0);
    window.EndWaitCursor();
    // Texts in quick succession: the last one is on the screen at once, not only a frame later.
    window.Status().SetText("Reading 1");
    window.Status().SetText("Reading 2");
    before = CaptureWindow(window.wx_dialog());
    window.Status().SetText("Connecting to ZELVO Loader passed!");
    last_of_quick_texts_shown = ScreenChanged(before, window, status_widget);
    before = CaptureWindow(window.wx_dialog());
    window.FindButton(ids::kConnectButton)->EnableWindow(false);
    disabled_shown = ScreenChanged(before, window, connect_widget);
    window.FindButton(ids::kCurrentButton)->EnableWindow(true);
    window.FindStatic(ids::kSerialNumberDisplay)->SetWindowText("12345678");
    window.FindStatic(ids::kMacAddressDisplay)->SetWindowText("0A1B2C123456");
  });

  int focus_at_start = kNoControlId;
  bool saved = false;
  const int result = RunShown(
      window,
      [&] {
        window.FindButton(ids::kCurrentButton)->EnableWindow(false);
        window.FindStatic(ids::kStatusLine)->SetWindowText("");
        window.FindList(ids::kPortList)->SetCurSel(0);
        window.FindList(ids::kSpeedList)->SetCurSel(4);
        window.FindEdit(ids::kBoxIpAddressEdit)->SetWindowText("192.168.0.10");
        window.FindEdit(ids::kSubnetMaskEdit)->SetWindowText("255.255.255.0");
        window.FindEdit(ids::kConfigFileNameEdit)->SetWindowText("zelvo9.cfg");
      },
      [&] {
        if (wxWindow* focus = wxWindow::FindFocus()) focus_at_start = focus->GetId();
        EXPECT_TRUE(window.Press(ids::kConnectButton));
        EXPECT_FALSE(window.Press(ids::kConnectButton));  // disabled now
        // The click held back during the command arrives now.
        for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
        EXPECT_EQ(current_presses, 1);
        saved = SaveWindowScreenshot(window.wx_dialog(),
                                     std::string(ZELVO_ARTIFACT_DIR) + "/setup_dialog.png");
        EXPECT_TRUE(window.Press(kIdOk));  // no handler: Ok ends the dialog
      });

  EXPECT_EQ(result, kIdOk);
  EXPECT_TRUE(status_shown);
  EXPECT_TRUE(last_of_quick_texts_shown);
  EXPECT_TRUE(disabled_shown);
  EXPECT_FALSE(nested_press);
  EXPECT_EQ(focus_at_start, ids::kConnectButton);
  EXPECT_EQ(window.WaitCursorLevel(), 0);
  EXPECT_FALSE(wxIsBusy());
  EXPECT_TRUE(saved);
}

TEST(WxDialogWindowTest, EditLimitCutsTypingButNotTextsSetByTheProgram) {
  WxDialogWindow window(nullptr, SetupDialogTemplate());
  EditBox* edit = window.FindEdit(ids::kSubnetMaskEdit);
  auto* widget = dynamic_cast<wxTextCtrl*>(window.wx_dialog()->FindWindow(ids::kSubnetMaskEdit));
  ASSERT_NE(widget, nullptr);
  edit->SetLimitText(15);
  edit->SetWindowText("255.255.255.000.000");
  EXPECT_EQ(edit->GetWindowText(), "255.255.255.000.000");

  edit->SetWindowText("255.255");
  widget->SetInsertionPointEnd();
  widget->WriteText(".255.000.000");  // as the user types or pastes
  EXPECT_EQ(edit->GetWindowText(), "255.255.255.000");
  widget->WriteText("1");
  EXPECT_EQ(edit->GetWindowText(), "255.255.255.000");
}

// Yields to the toolkit until `done` holds, for at most `rounds` short pauses (about two seconds
// by default).
bool WaitUntil(const std::function<bool()>& done, int rounds = 400) {
  for (int i = 0; i < rounds && !done(); ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  return done();
}

// The user at the keyboard and the mouse, through the X server.
TEST(WxDialogWindowTest, UserTypesClicksAndPressesEnter) {
  WxDialogWindow window(nullptr, SetupDialogTemplate());
  int connects = 0;
  std::string typed;
  window.SetCommandHandler(ids::kConnectButton, [&] { ++connects; });
  window.SetCommandHandler(kIdOk, [&] {
    typed = window.FindEdit(ids::kBoxIpAddressEdit)->GetWindowText();
    window.EndDialog(kIdOk);
  });
  const int result = RunShown(
      window, [&] { window.FindEdit(ids::kBoxIpAddressEdit)->SetLimitText(15); },
      [&] {
        wxUIActionSimulator user;
        wxWindow* connect = window.wx_dialog()->FindWindow(ids::kConnectButton);
        user.MouseMove(connect->GetScreenRect().GetPosition() + wxPoint(10, 10));
        user.MouseClick();
        EXPECT_TRUE(WaitUntil([&] { return connects == 1; }));

        wxWindow* edit = window.wx_dialog()->FindWindow(ids::kBoxIpAddressEdit);
        edit->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == edit; }));
        user.Text("192.168.100.200.7");
        EXPECT_TRUE(WaitUntil(
            [&] { return window.FindEdit(ids::kBoxIpAddressEdit)->GetWindowText().size() >= 15; }));
        user.Char(WXK_RETURN);
        WaitUntil([&] { return !window.wx_dialog()->IsModal(); });
      });
  EXPECT_EQ(result, kIdOk);
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(typed, "192.168.100.200");
}

int FocusedId() {
  wxWindow* focus = wxWindow::FindFocus();
  return focus != nullptr ? focus->GetId() : kNoControlId;
}

TEST(WxDialogWindowTest, TabKeyVisitsTheTabStopsInTemplateOrder) {
  const DialogTemplate& t = SetupDialogTemplate();
  // The toolkit does not tell which part of a drop-down list has the focus: a list shows as no
  // control at all.
  std::vector<int> expected;
  for (const ControlTemplate& c : t.controls) {
    if (c.tab_stop) expected.push_back(c.kind == ControlKind::kDropDownList ? kNoControlId : c.id);
  }
  expected.push_back(expected.front());  // once round and back to the first
  WxDialogWindow window(nullptr, t);
  std::vector<int> visited;
  RunShown(window, nullptr, [&] {
    wxUIActionSimulator user;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (i > 0) user.Char(WXK_TAB);
      const int previous = visited.empty() ? kNoControlId : visited.back();
      // From one list to the next nothing can be seen to change: the keys come in order, so a
      // short pause is enough, and the step after it shows whether both arrived.
      WaitUntil([&] { return FocusedId() != previous; }, expected[i] == previous ? 20 : 400);
      visited.push_back(FocusedId());
    }
  });
  EXPECT_EQ(visited, expected);
}

TEST(WxDialogWindowTest, EscapeAndClosingAreCancel) {
  for (bool close : {false, true}) {
    SCOPED_TRACE(close ? "close" : "escape");
    WxDialogWindow window(nullptr, SetupDialogTemplate());
    int cancels = 0;
    window.SetCommandHandler(kIdCancel, [&] {
      ++cancels;
      window.EndDialog(kIdCancel);
    });
    const int result = RunShown(window, nullptr, [&] {
      if (close) {
        window.wx_dialog()->Close();
      } else {
        wxUIActionSimulator().Char(WXK_ESCAPE);
        WaitUntil([&] { return !window.wx_dialog()->IsModal(); });
      }
    });
    EXPECT_EQ(result, kIdCancel);
    EXPECT_EQ(cancels, 1);
  }
}

TEST(WxDialogWindowTest, EnterOnAFocusedButtonPressesThatButton) {
  WxDialogWindow window(nullptr, SetupDialogTemplate());
  int updates = 0;
  window.SetCommandHandler(ids::kUpdateButton, [&] { ++updates; });
  const int result = RunShown(window, nullptr, [&] {
    wxWindow* update = window.wx_dialog()->FindWindow(ids::kUpdateButton);
    update->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == update; }));
    wxUIActionSimulator().Char(WXK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return updates == 1; }));
  });
  EXPECT_EQ(result, kDialogFailed);  // still open when the test ended it
  EXPECT_EQ(updates, 1);
}

// A real message box, answered at the keyboard: Enter takes the default (Yes), Escape says No.
TEST(WxDialogWindowTest, MessageBoxesAskAndAnswer) {
  struct Case {
    int key;
    MessageAnswer answer;
  };
  for (const Case& c :
       {Case{WXK_RETURN, MessageAnswer::kYes}, Case{WXK_ESCAPE, MessageAnswer::kNo}}) {
    SCOPED_TRACE(c.key);
    WxDialogWindow window(nullptr, SetupDialogTemplate());
    MessageAnswer answer = MessageAnswer::kOk;
    bool busy_during_box = true;
    bool busy_after_box = false;
    window.SetCommandHandler(ids::kEraseButton, [&] {
      window.BeginWaitCursor();
      window.wx_dialog()->CallAfter([&] {
        busy_during_box = wxIsBusy();
        wxUIActionSimulator().Char(c.key);
      });
      answer = window.MessageBox("Erase Flash and EPLD?", kApplicationTitle,
                                 MessageIcon::kExclamation, MessageButtons::kYesNo);
      busy_after_box = wxIsBusy();
      window.EndWaitCursor();
    });
    RunShown(window, nullptr, [&] { EXPECT_TRUE(window.Press(ids::kEraseButton)); });
    EXPECT_EQ(answer, c.answer);
    EXPECT_FALSE(busy_during_box);
    EXPECT_TRUE(busy_after_box);
  }
}

TEST(WxMessageStyleTest, MapsIconsButtonsAndAnswers) {
  const long plain = WxMessageBoxStyle(MessageIcon::kNone, MessageButtons::kOk);
  EXPECT_TRUE(plain & wxOK);
  EXPECT_TRUE(plain & wxICON_NONE);
  EXPECT_FALSE(plain & (wxICON_EXCLAMATION | wxICON_INFORMATION | wxYES_NO));
  const long question = WxMessageBoxStyle(MessageIcon::kExclamation, MessageButtons::kYesNo);
  EXPECT_TRUE(question & wxICON_EXCLAMATION);
  EXPECT_EQ(question & wxYES_NO, wxYES_NO);
  EXPECT_FALSE(question & wxOK);
  EXPECT_EQ(AnswerFromWxResult(wxID_YES, MessageButtons::kYesNo), MessageAnswer::kYes);
  EXPECT_EQ(AnswerFromWxResult(wxID_NO, MessageButtons::kYesNo), MessageAnswer::kNo);
  EXPECT_EQ(AnswerFromWxResult(wxID_CANCEL, MessageButtons::kYesNo), MessageAnswer::kNo);
  EXPECT_EQ(AnswerFromWxResult(wxID_OK, MessageButtons::kOk), MessageAnswer::kOk);
}

}  // namespace
}  // namespace zelvo::platform::ui

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
