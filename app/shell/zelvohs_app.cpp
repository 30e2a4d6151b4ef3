#include "app/shell/zelvohs_app.h"

#include <sys/stat.h>

#include <optional>

#include <wx/utils.h>

#include "app/shell/about_box.h"
#include "app/shell/command_ids.h"
#include "app/shell/command_line.h"
#include "app/shell/doc_manager.h"
#include "app/shell/help_page.h"
#include "app/shell/main_frame.h"
#include "app/shell/startup_document.h"
#include "app/shell/string_table.h"
#include "app/shell/wx_shell_text.h"
#include "app/shell/zelvohs_view.h"
#include "platform/dialog_feedback.h"
#include "platform/exe_dir.h"
#include "platform/port_names.h"

namespace zelvo::shell {
namespace {

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"zelvogdb-setup"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return CommandLineTail(static_cast<int>(argv.size()), argv.data());
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

wxBEGIN_EVENT_TABLE(CZelvohsApp, wxApp) EVT_MENU(command::kAppAbout, CZelvohsApp::OnAppAbout)
    EVT_MENU(command::kFileNew, CZelvohsApp::OnFileNew) EVT_MENU(command::kFileOpen,
                                                                 CZelvohsApp::OnFileOpen)
        EVT_MENU_RANGE(command::kFileRecent1, command::kFileRecent1 + 3, CZelvohsApp::OnRecentFile)
            EVT_MENU(command::kHelpIndex, CZelvohsApp::OnHelpIndex)
                EVT_MENU(command::kHelpUsing, CZelvohsApp::OnHelpUsing)
                    EVT_MENU(command::kHelp, CZelvohsApp::OnHelp)
                        EVT_MENU(command::kContextHelp, CZelvohsApp::OnHelp) wxEND_EVENT_TABLE()

                            CZelvohsApp& TheApp() {
  return *static_cast<CZelvohsApp*>(wxApp::GetInstance());
}

bool CZelvohsApp::OnInit() {
  // No wxApp::OnInit: the command line names a document and holds no options to parse.
  SetAppName("zelvogdb-setup");
  SetAppDisplayName(platform::kApplicationTitle);
  SessionOptions options;
  options.profile_path = platform::DefaultProfilePath();
  for (int i = 1; i < argc; ++i) options.arguments.push_back(PathFromWx(argv[i]));
  return StartSession(options);
}

int CZelvohsApp::OnExit() {
  EndSession();
  return wxApp::OnExit();
}

bool CZelvohsApp::StartSession(const SessionOptions& options) {
  EndSession();
  profile_path_ = options.profile_path;
  prompts_ = options.prompts != nullptr ? options.prompts : &wx_prompts_;

  // An unreadable profile counts as an empty one.
  platform::ProfileFile profile(profile_path_);
  profile.Load();
  recent_files_ = RecentFileList();
  recent_files_.ReadList(profile);
  // Read at every look-up, so a mapping added while the program runs counts at the next
  // Connect.
  platform::SetPortProfileLookup([path = profile_path_](const std::string& key) {
    platform::ProfileFile ports(path);
    ports.Load();
    return ports.Find(platform::kPortsSection, key);
  });

  doc_manager_ = new CDocManager;
  new wxDocTemplate(doc_manager_, kDocumentFileType, "*.gdb", wxEmptyString, "gdb",
                    kMainWindowTitle, kMainWindowTitle, wxCLASSINFO(CZelvohsDoc),
                    wxCLASSINFO(CZelvohsView));
  doc_manager_->SetMaxDocsOpen(1);

  auto* frame = new CMainFrame(doc_manager_, profile);
  frame_ = frame;
  SetTopWindow(frame);
  frame->SetRecentFiles(recent_files_.files());
  if (!frame->bars_created() || doc_manager_->CreateNewDocument() == nullptr) {
    prompts().ShowMessage(nullptr, kFailedToCreateDocument);
    EndSession();
    return false;
  }

  const StartupChoice choice =
      ChooseStartupDocument(DocumentPathFromCommandLine(JoinArguments(options.arguments)), profile);
  CZelvohsDoc* doc = document();
  const StartupOutcome outcome = OpenStartupDocument(doc->settings(), choice);
  if (outcome.opened) doc->AdoptFile(choice.path);
  frame->Show();
  if (!outcome.message.empty()) {
    prompts().ShowMessage(frame, outcome.message);
    // A recent file that cannot be read would stop every later start the same way.
    if (choice.source == StartupSource::kRecentFile) RemoveRecentFile(choice.path);
  }
  return true;
}

void CZelvohsApp::EndSession() {
  // A run ends without questions: the main window's close has asked them already.
  if (CZelvohsDoc* doc = document()) doc->Modify(false);
  if (frame_) {
    frame_->Destroy();
    frame_ = nullptr;
  }
  delete doc_manager_;
  doc_manager_ = nullptr;
  platform::SetPortProfileLookup(nullptr);
}

CMainFrame* CZelvohsApp::main_frame() const {
  return static_cast<CMainFrame*>(frame_.get());
}

CZelvohsDoc* CZelvohsApp::document() const {
  if (doc_manager_ == nullptr || doc_manager_->GetDocuments().empty()) return nullptr;
  return dynamic_cast<CZelvohsDoc*>(doc_manager_->GetDocuments().front());
}

bool CZelvohsApp::UpdateProfile(const std::function<void(platform::ProfileFile&)>& change) {
  if (profile_path_.empty()) return false;
  platform::ProfileFile profile(profile_path_);
  profile.Load();
  change(profile);
  return profile.Save();
}

void CZelvohsApp::AddRecentFile(const std::string& path) {
  recent_files_.Add(path);
  RecentFilesChanged();
}

void CZelvohsApp::RemoveRecentFile(const std::string& path) {
  if (recent_files_.Remove(path)) RecentFilesChanged();
}

void CZelvohsApp::RecentFilesChanged() {
  if (CMainFrame* frame = main_frame()) frame->SetRecentFiles(recent_files_.files());
  UpdateProfile([this](platform::ProfileFile& profile) { recent_files_.WriteList(profile); });
}

OpenResult CZelvohsApp::OpenDocumentFile(const std::string& path) {
  CZelvohsDoc* doc = document();
  if (doc == nullptr) return OpenResult::kFailed;
  return doc->OpenFile(path);
}

void CZelvohsApp::ShowHelp(const std::string& topic) {
  const std::string page = HelpPagePath(platform::ExecutablePath());
  if (page.empty() || !IsFile(page)) {
    prompts().ShowMessage(main_frame(), "There is no help: the help page " +
                                            (page.empty() ? std::string(kHelpPageName) : page) +
                                            " is not installed.");
    return;
  }
  if (!wxLaunchDefaultBrowser(wxString::FromUTF8(FileUrl(page, topic)))) {
    prompts().ShowMessage(main_frame(),
                          "The help page " + page + " could not be shown: no web browser started.");
  }
}

void CZelvohsApp::OnAppAbout(wxCommandEvent& /*event*/) {
  CAboutDlg about(main_frame());
  about.DoModal();
}

void CZelvohsApp::OnFileNew(wxCommandEvent& /*event*/) {
  CZelvohsDoc* doc = document();
  if (doc != nullptr && doc->OnSaveModified()) doc->OnNewDocument();
}

void CZelvohsApp::OnFileOpen(wxCommandEvent& /*event*/) {
  const std::optional<std::string> path = prompts().AskOpenPath(main_frame());
  if (path && !path->empty()) OpenDocumentFile(*path);
}

void CZelvohsApp::OnRecentFile(wxCommandEvent& event) {
  const size_t index = static_cast<size_t>(event.GetId() - command::kFileRecent1);
  if (index >= recent_files_.files().size()) return;
  const std::string path = recent_files_.files()[index];
  // A file that cannot be opened leaves the list; one the user kept the document over stays.
  if (OpenDocumentFile(path) == OpenResult::kFailed) RemoveRecentFile(path);
}

void CZelvohsApp::OnHelpIndex(wxCommandEvent& /*event*/) {
  ShowHelp(kHelpTopicContents);
}

void CZelvohsApp::OnHelpUsing(wxCommandEvent& /*event*/) {
  ShowHelp(kHelpTopicUsingHelp);
}

void CZelvohsApp::OnHelp(wxCommandEvent& /*event*/) {
  ShowHelp(kHelpTopicContents);
}

}  // namespace zelvo::shell
