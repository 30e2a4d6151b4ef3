// zelvoGDB Setup end to end: the application in a virtual X display, the simulated box
// (the zelvo9-sim program) on a pseudo-terminal mapped to COM1, and update files of our own.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/shell/command_ids.h"
#include "app/shell/main_frame.h"
#include "app/shell/shell_prompts.h"
#include "app/shell/zelvohs_app.h"
#include "app/shell/zelvohs_doc.h"
#include "app/shell/zelvohs_view.h"
#include "platform/port_names.h"
#include "platform/profile_file.h"
#include "platform/ui/setup_dialog_template.h"
#include "platform/ui/wx_screenshot.h"
#include "tools/update_images.h"

extern char** environ;

namespace zelvo::shell {
namespace {

namespace ids = platform::ui::setup_dialog;
constexpr const char* kSetupTitle = "ZELVO9 Update/Setup";
constexpr const char* kAboutTitle = "About zelvoGDB for Cortex-SWD";

// Answers the main window's questions as a test sets them, and keeps what was asked.
class ScriptedPrompts final : public ShellPrompts {
 public:
  std::optional<std::string> AskOpenPath(wxWindow* /*owner*/) override {
    ++open_asked;
    return open_path;
  }
  std::optional<std::string> AskSavePath(wxWindow* /*owner*/,
                                         const std::string& suggested_name) override {
    suggested.push_back(suggested_name);
    return save_path;
  }
  SaveChangesAnswer AskSaveChanges(wxWindow* /*owner*/, const std::string& question) override {
    questions.push_back(question);
    return save_answer;
  }
  void ShowMessage(wxWindow* /*owner*/, const std::string& text) override {
    messages.push_back(text);
  }

  std::optional<std::string> open_path;
  std::optional<std::string> save_path;
  SaveChangesAnswer save_answer = SaveChangesAnswer::kCancel;
  int open_asked = 0;
  std::vector<std::string> suggested;
  std::vector<std::string> questions;
  std::vector<std::string> messages;
};

// The zelvo9-sim program, serving a new box on a pseudo-terminal until the object goes.
class SimulatedBoxProgram {
 public:
  SimulatedBoxProgram() {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char program[] = ZELVO_SIM_PROGRAM;
    char* const args[] = {program, nullptr};
    if (posix_spawn(&pid_, program, &actions, nullptr, args, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line is the pty's path.
    pollfd ready{out[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&ready, 1, 10000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') {
      pty_ += c;
    }
    out_ = out[0];
  }
  ~SimulatedBoxProgram() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  SimulatedBoxProgram(const SimulatedBoxProgram&) = delete;
  SimulatedBoxProgram& operator=(const SimulatedBoxProgram&) = delete;

  const std::string& pty() const { return pty_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pty_;
};

void Settle(int rounds = 10) {
  for (int i = 0; i < rounds; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
}

void WaitShown(wxWindow* window) {
  for (int i = 0; i < 200 && !window->IsShownOnScreen(); ++i) Settle(1);
  Settle();
}

wxDialog* FindModalDialog(const std::string& title) {
  for (wxWindow* window : wxTopLevelWindows) {
    auto* dialog = dynamic_cast<wxDialog*>(window);
    if (dialog != nullptr && dialog->IsModal() && dialog->GetTitle().utf8_string() == title) {
      return dialog;
    }
  }
  return nullptr;
}

// Runs `open`, which shows the modal dialog titled `title` and returns when it ends; meanwhile
// `while_shown` acts on the dialog. A dialog still open afterwards is ended.
void WhileModal(const std::string& title, const std::function<void()>& open,
                const std::function<void(wxDialog*)>& while_shown) {
  bool ran = false;
  bool found = false;
  wxTheApp->CallAfter([&] {
    wxDialog* dialog = nullptr;
    for (int i = 0; i < 400 && (dialog = FindModalDialog(title)) == nullptr; ++i) Settle(1);
    if (dialog != nullptr) {
      found = true;
      WaitShown(dialog);
      while_shown(dialog);
      if (dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    }
    ran = true;
  });
  open();
  for (int i = 0; i < 1000 && !ran; ++i) Settle(1);
  ASSERT_TRUE(ran);
  EXPECT_TRUE(found) << title;
}

template <typename T>
T* Child(wxWindow* parent, int id) {
  return dynamic_cast<T*>(parent->FindWindow(id));
}

std::string Label(wxWindow* dialog, int id) {
  wxWindow* control = dialog->FindWindow(id);
  return control != nullptr ? control->GetLabel().utf8_string() : "<no control>";
}

// Clicks the button `id` as the toolkit reports a click.
bool Click(wxWindow* dialog, int id) {
  wxWindow* button = dialog->FindWindow(id);
  if (button == nullptr || !button->IsEnabled()) return false;
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
  return true;
}

// A menu command or accelerator key as the main window gets it.
void SendCommand(wxWindow* frame, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
}

std::string ArtifactPath(const std::string& name) {
  return std::string(ZELVO_ARTIFACT_DIR) + "/" + name;
}

class ShellGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A directory of its own, so runs in other build trees do not meet.
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "shell_gui_test_XXXXXX")
                              .lexically_normal()
                              .string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    options_.profile_path = dir_ + "/config/zelvogdb-setup.INI";
    options_.prompts = &prompts_;
    // No update files unless a test makes some.
    setenv("ZELVO_UPDATE_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    TheApp().EndSession();
    wxTheApp->ProcessIdle();
    Settle();
    unsetenv("ZELVO_COM1");
    std::filesystem::remove_all(dir_);
  }

  CMainFrame* Start() {
    if (!TheApp().StartSession(options_)) return nullptr;
    CMainFrame* frame = TheApp().main_frame();
    if (frame != nullptr) WaitShown(frame);
    return frame;
  }

  // Closes the main window as its close box does; true when it is gone.
  bool Close(CMainFrame* frame) {
    wxWeakRef<wxWindow> alive(frame);
    frame->Close();
    for (int i = 0; i < 200 && alive; ++i) {
      wxTheApp->ProcessIdle();
      Settle(1);
    }
    return !alive;
  }

  platform::ProfileFile Profile() const {
    platform::ProfileFile profile(options_.profile_path);
    profile.Load();
    return profile;
  }

  std::string dir_;
  ScriptedPrompts prompts_;
  SessionOptions options_;
};

TEST_F(ShellGuiTest, SetupConnectUpdateSaveAndReopenAtTheNextStart) {
  // As a user runs it: the profile in the XDG configuration directory, the box on COM1, the
  // update files beside the program.
  options_.profile_path = platform::DefaultProfilePath("zelvogdb-setup");
  ASSERT_EQ(options_.profile_path,
            std::string(std::getenv("XDG_CONFIG_HOME")) + "/zelvogdb/zelvogdb-setup.INI");
  std::filesystem::remove(options_.profile_path);
  SimulatedBoxProgram box;
  ASSERT_FALSE(box.pty().empty());
  setenv("ZELVO_COM1", box.pty().c_str(), 1);
  const std::string updates = dir_ + "/updates";
  tools::FirmwareImageOptions firmware;
  firmware.version = 105;
  firmware.size = 16 * 1024;
  ASSERT_TRUE(tools::WriteUpdateFile(updates, tools::UpdateFileName("ZV9SWDGD", 105),
                                     tools::MakeFirmwareImage(firmware)->text));
  for (const char* stem : {"SWDJED20", "SWDJED21"}) {
    ASSERT_TRUE(tools::WriteUpdateFile(updates, tools::UpdateFileName(stem, 12),
                                       tools::MakeLogicImage(stem, 12).text));
  }
  setenv("ZELVO_UPDATE_DIR", updates.c_str(), 1);

  CMainFrame* frame = Start();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetTitle().utf8_string(), "Untitled - zelvoGDB");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0).utf8_string(), "For Help, press F1");
  ASSERT_TRUE(platform::ui::SaveWindowScreenshot(frame, ArtifactPath("main-window.png")));

  // Setup from the menu: Connect, Update, a new configuration file name, OK.
  WhileModal(
      kSetupTitle, [&] { EXPECT_TRUE(frame->ProcessCommand(command::kSetup)); },
      [&](wxDialog* dialog) {
        EXPECT_EQ(dialog->GetParent(), frame);
        EXPECT_EQ(Label(dialog, ids::kFirmwareNewestDisplay), "1.05");
        EXPECT_EQ(Label(dialog, ids::kLogicNewestDisplay), "0.12");
        ASSERT_TRUE(Click(dialog, ids::kConnectButton));
        EXPECT_EQ(Label(dialog, ids::kStatusLine), "Connecting to ZELVO Loader passed!");
        EXPECT_EQ(Label(dialog, ids::kSerialNumberDisplay), "12345678");
        EXPECT_EQ(Label(dialog, ids::kMacAddressDisplay), "0A1B2C123456");
        EXPECT_FALSE(dialog->FindWindow(ids::kConnectButton)->IsEnabled());
        ASSERT_TRUE(Click(dialog, ids::kUpdateButton));
        EXPECT_EQ(Label(dialog, ids::kStatusLine), "Updating firmware and logic passed!");
        EXPECT_EQ(Label(dialog, ids::kFirmwareCurrentDisplay), "1.05");
        EXPECT_EQ(Label(dialog, ids::kLogicCurrentDisplay), "0.12");
        Child<wxTextCtrl>(dialog, ids::kConfigFileNameEdit)->SetValue("e2e.cfg");
        Settle();
        EXPECT_TRUE(platform::ui::SaveWindowScreenshot(dialog, ArtifactPath("setup-dialog.png")));
        EXPECT_TRUE(Click(dialog, ids::kOkButton));
      });
  CZelvohsDoc* doc = TheApp().document();
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->settings().config_file_name, "e2e.cfg");

  // Setup from the toolbar: the document's values come in; Cancel leaves the document as it is.
  WhileModal(
      kSetupTitle, [&] { frame->GetToolBar()->OnLeftClick(command::kSetup, false); },
      [&](wxDialog* dialog) {
        EXPECT_EQ(Child<wxTextCtrl>(dialog, ids::kConfigFileNameEdit)->GetValue(), "e2e.cfg");
        EXPECT_EQ(Child<wxChoice>(dialog, ids::kPortList)->GetSelection(), 0);
        EXPECT_EQ(Child<wxChoice>(dialog, ids::kSpeedList)->GetSelection(), 0);
        // The box still answers: OK and Cancel started its firmware, Connect wakes it again.
        ASSERT_TRUE(Click(dialog, ids::kConnectButton));
        EXPECT_EQ(Label(dialog, ids::kFirmwareCurrentDisplay), "1.05");
        Child<wxTextCtrl>(dialog, ids::kConfigFileNameEdit)->SetValue("not kept.cfg");
        EXPECT_TRUE(Click(dialog, ids::kCancelButton));
      });
  EXPECT_EQ(doc->settings().config_file_name, "e2e.cfg");

  // File Save of the new document asks where, and a name without extension gets ".gdb".
  prompts_.save_path = dir_ + "/e2e";
  EXPECT_TRUE(frame->ProcessCommand(command::kFileSave));
  EXPECT_EQ(prompts_.suggested, std::vector<std::string>{"Untitled.gdb"});
  const std::string saved = dir_ + "/e2e.gdb";
  EXPECT_TRUE(std::filesystem::is_regular_file(saved));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(frame->GetTitle().utf8_string(), "e2e.gdb - zelvoGDB");
  EXPECT_EQ(Profile().GetString(platform::kRecentFileListSection, "File1"), saved);
  wxMenuItem* recent = frame->file_menu()->FindItem(command::kFileRecent1);
  ASSERT_NE(recent, nullptr);
  EXPECT_TRUE(recent->IsEnabled());
  const std::string recent_label = recent->GetItemLabel().utf8_string();
  EXPECT_EQ(recent_label.rfind("&1 ", 0), 0u) << recent_label;
  EXPECT_TRUE(recent_label.ends_with("/e2e.gdb")) << recent_label;

  // Closing a saved document asks nothing and keeps the window's place.
  frame->SetSize(120, 90, 700, 500);
  Settle();
  const WindowRect placed = frame->NormalRect();
  ASSERT_TRUE(Close(frame));
  EXPECT_TRUE(prompts_.questions.empty());
  TheApp().EndSession();
  const platform::ProfileFile profile = Profile();
  EXPECT_EQ(profile.GetInt(platform::kWindowPosSection, "leftPos", -1), placed.left);
  EXPECT_EQ(profile.GetInt(platform::kWindowPosSection, "bottomPos", -1), placed.bottom);

  // The next start opens the saved document again, where the window was.
  frame = Start();
  ASSERT_NE(frame, nullptr);
  doc = TheApp().document();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->path(), saved);
  EXPECT_EQ(doc->settings().config_file_name, "e2e.cfg");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(frame->GetTitle().utf8_string(), "e2e.gdb - zelvoGDB");
  EXPECT_EQ(frame->NormalRect(), placed);
  EXPECT_TRUE(prompts_.messages.empty());
  ASSERT_TRUE(Close(frame));
}

TEST_F(ShellGuiTest, TheMenuToolbarAndStatusBar) {
  CMainFrame* frame = Start();
  ASSERT_NE(frame, nullptr);
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 4u);
  const std::vector<std::vector<std::string>> menus = {
      {"&File", "&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "",
       "Recent File", "", "E&xit"},
      {"&Setup", "ZELVO9..."},
      {"&View", "&Toolbar", "&Status Bar"},
      {"&Help", "&Index", "&Using Help", "", "&About ..."},
  };
  for (size_t m = 0; m < menus.size(); ++m) {
    EXPECT_EQ(bar->GetMenuLabel(m).utf8_string(), menus[m][0]);
    wxMenu* menu = bar->GetMenu(m);
    ASSERT_EQ(menu->GetMenuItemCount(), menus[m].size() - 1) << menus[m][0];
    for (size_t i = 1; i < menus[m].size(); ++i) {
      wxMenuItem* item = menu->FindItemByPosition(i - 1);
      EXPECT_EQ(item->IsSeparator() ? "" : item->GetItemLabel().utf8_string(), menus[m][i]);
    }
  }
  EXPECT_FALSE(bar->FindItem(command::kFileRecent1)->IsEnabled());
  EXPECT_EQ(bar->FindItem(command::kSetup)->GetHelp().utf8_string(),
            "Update ZELVO firmware and store configuration");

  wxToolBar* toolbar = frame->GetToolBar();
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(toolbar->GetId(), command::kViewToolbar);
  const int tools[] = {
      command::kFileNew,  command::kFileOpen,   command::kFileSave, -1, command::kSetup, -1,
      command::kAppAbout, command::kContextHelp};
  ASSERT_EQ(toolbar->GetToolsCount(), std::size(tools));
  for (size_t i = 0; i < std::size(tools); ++i) {
    const wxToolBarToolBase* tool = toolbar->GetToolByPos(static_cast<int>(i));
    if (tools[i] < 0) {
      EXPECT_TRUE(tool->IsSeparator()) << i;
    } else {
      EXPECT_EQ(tool->GetId(), tools[i]);
      EXPECT_EQ(tool->GetNormalBitmap().GetSize(), wxSize(16, 15));
      EXPECT_TRUE(tool->GetShortHelp().empty());  // no tooltips
    }
  }

  wxStatusBar* status = frame->GetStatusBar();
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->GetId(), command::kViewStatusBar);
  ASSERT_EQ(status->GetFieldsCount(), 4);
  // The indicators follow the lock keys, which are all off in a new display.
  for (int pane = 1; pane < 4; ++pane) EXPECT_EQ(status->GetStatusText(pane), "") << pane;
  // The Setup prompt while its menu item is highlighted, the idle text afterwards.
  wxMenuEvent highlight(wxEVT_MENU_HIGHLIGHT, command::kSetup);
  frame->GetEventHandler()->ProcessEvent(highlight);
  EXPECT_EQ(status->GetStatusText(0).utf8_string(),
            "Update ZELVO firmware and store configuration");
  wxMenuEvent closed(wxEVT_MENU_CLOSE, wxID_ANY, bar->GetMenu(1));
  frame->GetEventHandler()->ProcessEvent(closed);
  EXPECT_EQ(status->GetStatusText(0).utf8_string(), "For Help, press F1");

  // The View menu hides and shows both bars.
  for (int id : {command::kViewToolbar, command::kViewStatusBar}) {
    wxWindow* window = id == command::kViewToolbar ? static_cast<wxWindow*>(toolbar) : status;
    EXPECT_TRUE(frame->ProcessCommand(id));
    EXPECT_FALSE(window->IsShown()) << id;
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(bar->IsChecked(id));
    EXPECT_TRUE(frame->ProcessCommand(id));
    EXPECT_TRUE(window->IsShown()) << id;
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(bar->IsChecked(id));
  }

  // Printing yields one blank page.
  auto* view = dynamic_cast<CZelvohsView*>(TheApp().document()->GetFirstView());
  ASSERT_NE(view, nullptr);
  std::unique_ptr<wxPrintout> printout(view->OnCreatePrintout());
  int min_page = 0, max_page = 0, from_page = 0, to_page = 0;
  printout->GetPageInfo(&min_page, &max_page, &from_page, &to_page);
  EXPECT_EQ(min_page, 1);
  EXPECT_EQ(max_page, 1);
  EXPECT_TRUE(printout->HasPage(1));
  EXPECT_FALSE(printout->HasPage(2));
}

TEST_F(ShellGuiTest, TheAboutBoxAndTheMissingHelpPage) {
  CMainFrame* frame = Start();
  ASSERT_NE(frame, nullptr);
  WhileModal(
      kAboutTitle, [&] { EXPECT_TRUE(frame->ProcessCommand(command::kAppAbout)); },
      [&](wxDialog* dialog) {
        std::vector<std::string> lines;
        int icons = 0;
        for (wxWindow* child : dialog->GetChildren()) {
          if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            lines.push_back(text->GetLabel().utf8_string());
          }
          if (dynamic_cast<wxStaticBitmap*>(child) != nullptr) ++icons;
        }
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], "ZELVO9 Configuration Version 1.00");
        EXPECT_EQ(lines[1], "for GNU Debugger Cortex-SWD");
        EXPECT_FALSE(lines[2].empty());
        EXPECT_EQ(icons, 1);
        EXPECT_TRUE(dialog->HasFlag(wxCLOSE_BOX));
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        dialog->GetEventHandler()->ProcessEvent(escape);
        EXPECT_FALSE(dialog->IsModal());
      });

  // This test program has no help page beside it: the user is told so.
  SendCommand(frame, command::kHelp);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].rfind("There is no help: the help page ", 0), 0u)
      << prompts_.messages[0];
}

TEST_F(ShellGuiTest, AChangedDocumentAsksBeforeItIsReplacedOrTheProgramEnds) {
  CMainFrame* frame = Start();
  ASSERT_NE(frame, nullptr);
  CZelvohsDoc* doc = TheApp().document();
  // OK without a change leaves the document unmodified; a change marks it.
  WhileModal(
      kSetupTitle, [&] { frame->ProcessCommand(command::kSetup); },
      [&](wxDialog* dialog) { EXPECT_TRUE(Click(dialog, ids::kOkButton)); });
  EXPECT_FALSE(doc->IsModified());
  WhileModal(
      kSetupTitle, [&] { frame->ProcessCommand(command::kSetup); },
      [&](wxDialog* dialog) {
        Child<wxTextCtrl>(dialog, ids::kBoxIpAddressEdit)->SetValue("192.168.1.20");
        EXPECT_TRUE(Click(dialog, ids::kOkButton));
      });
  ASSERT_TRUE(doc->IsModified());

  // File New and File Open ask first; Cancel keeps the document.
  prompts_.save_answer = SaveChangesAnswer::kCancel;
  EXPECT_TRUE(frame->ProcessCommand(command::kFileNew));
  prompts_.open_path = dir_ + "/other.gdb";
  EXPECT_TRUE(frame->ProcessCommand(command::kFileOpen));
  EXPECT_EQ(prompts_.questions, std::vector<std::string>(2, "Save changes to Untitled?"));
  EXPECT_EQ(doc->settings().box_ip_address, "192.168.1.20");

  // Closing asks too; the window's place is kept although the close is cancelled.
  frame->SetSize(50, 60, 600, 400);
  Settle();
  const WindowRect placed = frame->NormalRect();
  frame->Close();
  Settle();
  ASSERT_EQ(TheApp().main_frame(), frame);
  EXPECT_EQ(prompts_.questions.size(), 3u);
  EXPECT_EQ(Profile().GetInt(platform::kWindowPosSection, "leftPos", -1), placed.left);

  // No: the program ends without saving.
  prompts_.save_answer = SaveChangesAnswer::kNo;
  ASSERT_TRUE(Close(frame));
  EXPECT_EQ(prompts_.questions.size(), 4u);
  EXPECT_TRUE(prompts_.suggested.empty());
}

TEST_F(ShellGuiTest, ARecentFileThatEndsEarlyIsReportedAndANewDocumentStarts) {
  const std::string truncated = dir_ + "/truncated.gdb";
  std::ofstream(truncated, std::ios::binary) << std::string("\x03\x00\x00\x00\x00\x00\x07", 7);
  {
    platform::ProfileFile profile(options_.profile_path);
    profile.WriteString(platform::kRecentFileListSection, "File1", truncated);
    ASSERT_TRUE(profile.Save());
  }
  CMainFrame* frame = Start();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(prompts_.messages, std::vector<std::string>{"Unexpected file format."});
  EXPECT_EQ(frame->GetTitle().utf8_string(), "Untitled - zelvoGDB");
  EXPECT_EQ(TheApp().document()->settings().box_ip_address, "0.0.0.0");
  // The entry is forgotten, so the next start is not stopped by it again.
  EXPECT_FALSE(Profile().Find(platform::kRecentFileListSection, "File1"));
  EXPECT_TRUE(std::filesystem::is_regular_file(truncated));
}

TEST_F(ShellGuiTest, TheProfilesPortsSectionMapsTheSerialPorts) {
  {
    platform::ProfileFile profile(options_.profile_path);
    profile.WriteString(platform::kPortsSection, "COM3", "/dev/ttyUSB7");
    ASSERT_TRUE(profile.Save());
  }
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(platform::DevicePathForPortName("\\\\.\\COM3"), "/dev/ttyUSB7");
  // A mapping added while the program runs counts at the next look-up.
  ASSERT_TRUE(TheApp().UpdateProfile([](platform::ProfileFile& profile) {
    profile.WriteString(platform::kPortsSection, "COM4", "/dev/ttyACM0");
  }));
  EXPECT_EQ(platform::DevicePathForPortName("\\\\.\\COM4"), "/dev/ttyACM0");
  TheApp().EndSession();
  EXPECT_EQ(platform::DevicePathForPortName("\\\\.\\COM3"), "/dev/ttyS2");
}

}  // namespace
}  // namespace zelvo::shell

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new zelvo::shell::CZelvohsApp);
  if (!wxEntryStart(argc, argv)) return 1;
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
