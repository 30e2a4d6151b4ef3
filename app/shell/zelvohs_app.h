#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/weakref.h>

#include "app/shell/recent_file_list.h"
#include "app/shell/shell_prompts.h"
#include "app/shell/zelvohs_doc.h"
#include "platform/profile_file.h"

class wxDocManager;

namespace zelvo::shell {

class CMainFrame;

// How a run of the application starts.
struct SessionOptions {
  // The private profile file: the recent files, the window placement, the port mapping.
  std::string profile_path;
  // The command line after the program's name.
  std::vector<std::string> arguments;
  // Who asks the user and tells them; nullptr for the toolkit's file dialogs and message boxes.
  ShellPrompts* prompts = nullptr;
};

// zelvoGDB Setup: the application object. Start-up loads the profile, installs its "Ports"
// section as the serial-port mapping, registers the one single-document template (the settings
// document CZelvohsDoc, the main window CMainFrame, the empty view CZelvohsView), creates the
// main window and the document, and then opens the document named on the command line, else the
// most recently used one when it exists and is not read-only, else keeps a new "Untitled" one.
// A document that cannot be read is reported and the program goes on with a new document. The
// program ends when the main window is closed.
class CZelvohsApp final : public wxApp {
 public:
  CZelvohsApp() = default;

  // The program's start: the profile beside the user's settings, the command line from argv.
  bool OnInit() override;
  int OnExit() override;

  // One run of the application from start-up to the main window (tests start several runs in
  // one process, one after the other). False when the main window cannot be made.
  bool StartSession(const SessionOptions& options);
  // Ends the run: closes the main window if it is still there and forgets the document manager.
  void EndSession();

  CMainFrame* main_frame() const;
  CZelvohsDoc* document() const;
  ShellPrompts& prompts() { return *prompts_; }
  const std::string& profile_path() const { return profile_path_; }
  const RecentFileList& recent_files() const { return recent_files_; }

  // Reads the profile afresh, lets `change` set its entries and writes it back, so entries
  // written meanwhile by somebody else stay. False when it cannot be written.
  bool UpdateProfile(const std::function<void(platform::ProfileFile&)>& change);
  // Puts `path` first in the recent-file list (menu and profile), or removes it.
  void AddRecentFile(const std::string& path);
  void RemoveRecentFile(const std::string& path);

  // File Open for `path`, as the File menu's recent entries do it.
  OpenResult OpenDocumentFile(const std::string& path);

 private:
  void RecentFilesChanged();
  void ShowHelp(const std::string& topic);
  void OnAppAbout(wxCommandEvent& event);
  void OnFileNew(wxCommandEvent& event);
  void OnFileOpen(wxCommandEvent& event);
  void OnRecentFile(wxCommandEvent& event);
  void OnHelpIndex(wxCommandEvent& event);
  void OnHelpUsing(wxCommandEvent& event);
  void OnHelp(wxCommandEvent& event);

  WxShellPrompts wx_prompts_;
  ShellPrompts* prompts_ = &wx_prompts_;
  std::string profile_path_;
  RecentFileList recent_files_;
  wxDocManager* doc_manager_ = nullptr;
  wxWeakRef<wxWindow> frame_;

  wxDECLARE_EVENT_TABLE();
};

// The running application object.
CZelvohsApp& TheApp();

}  // namespace zelvo::shell
