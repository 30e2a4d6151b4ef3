#include "app/shell/zelvohs_doc.h"

#include <sys/stat.h>

#include <optional>

#include "app/shell/command_ids.h"
#include "app/shell/main_frame.h"
#include "app/shell/setup_command.h"
#include "app/shell/startup_document.h"
#include "app/shell/string_table.h"
#include "app/shell/wx_shell_text.h"
#include "app/shell/zelvohs_app.h"

namespace zelvo::shell {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CZelvohsDoc, wxDocument);

wxBEGIN_EVENT_TABLE(CZelvohsDoc, wxDocument) EVT_MENU(command::kSetup, CZelvohsDoc::OnSetup)
    EVT_MENU(command::kFileSave, CZelvohsDoc::OnFileSave)
        EVT_MENU(command::kFileSaveAs, CZelvohsDoc::OnFileSaveAs) wxEND_EVENT_TABLE()

            std::string CZelvohsDoc::path() const {
  return GetDocumentSaved() ? PathFromWx(GetFilename()) : std::string();
}

OpenResult CZelvohsDoc::OpenFile(const std::string& path) {
  const std::string full = FullPath(path);
  if (!full.empty() && full == this->path()) return OpenResult::kOpened;
  if (!OnSaveModified()) return OpenResult::kCancelled;
  zelvo::CZelvohsDoc loaded;
  const DocumentFileResult result = LoadDocumentFile(loaded, full);
  if (!result.ok) {
    ShowMessage(result.message);
    return OpenResult::kFailed;
  }
  settings_ = loaded;
  AdoptFile(full);
  return OpenResult::kOpened;
}

void CZelvohsDoc::AdoptFile(const std::string& path) {
  settings_.SetModifiedFlag(false);
  SetDocumentSaved(true);
  SetTitle(PathToWx(FileNameOf(path)));
  SetFilename(PathToWx(path), true);
  Modify(false);
  TheApp().AddRecentFile(path);
  UpdateAllViews();
}

bool CZelvohsDoc::OnNewDocument() {
  settings_.OnNewDocument();
  SetDocumentSaved(false);
  SetTitle(kUntitled);
  SetFilename(wxString(), true);
  Modify(false);
  UpdateAllViews();
  return true;
}

bool CZelvohsDoc::DeleteContents() {
  settings_.DeleteContents();
  return true;
}

bool CZelvohsDoc::OnSaveModified() {
  if (!IsModified()) return true;
  const std::string question = SaveChangesQuestion(GetUserReadableName().utf8_string());
  switch (TheApp().prompts().AskSaveChanges(GetDocumentWindow(), question)) {
    case SaveChangesAnswer::kYes:
      return Save();
    case SaveChangesAnswer::kNo:
      return true;
    case SaveChangesAnswer::kCancel:
      return false;
  }
  return false;
}

bool CZelvohsDoc::Save() {
  const std::string current = path();
  if (current.empty() || (Exists(current) && !IsWritableFile(current))) return SaveAs();
  return SaveTo(current);
}

bool CZelvohsDoc::SaveAs() {
  const std::string suggested = WithDocumentExtension(GetUserReadableName().utf8_string());
  const std::optional<std::string> chosen =
      TheApp().prompts().AskSavePath(GetDocumentWindow(), suggested);
  if (!chosen || chosen->empty()) return false;
  return SaveTo(FullPath(WithDocumentExtension(*chosen)));
}

bool CZelvohsDoc::SaveTo(const std::string& path) {
  const DocumentFileResult result = SaveDocumentFile(settings_, path);
  if (!result.ok) {
    ShowMessage(result.message);
    return false;
  }
  AdoptFile(path);
  return true;
}

bool CZelvohsDoc::DoOpenDocument(const wxString& file) {
  zelvo::CZelvohsDoc loaded;
  const DocumentFileResult result = LoadDocumentFile(loaded, PathFromWx(file));
  if (!result.ok) {
    ShowMessage(result.message);
    return false;
  }
  settings_ = loaded;
  return true;
}

bool CZelvohsDoc::DoSaveDocument(const wxString& file) {
  const DocumentFileResult result = SaveDocumentFile(settings_, PathFromWx(file));
  if (!result.ok) ShowMessage(result.message);
  return result.ok;
}

void CZelvohsDoc::OnSetup(wxCommandEvent& /*event*/) {
  SetupValues values = CopySetupValues(settings_);
  if (RunSetupDialog(TheApp().main_frame(), values) && ApplySetupValues(settings_, values)) {
    Modify(true);
  }
}

void CZelvohsDoc::OnFileSave(wxCommandEvent& /*event*/) {
  Save();
}

void CZelvohsDoc::OnFileSaveAs(wxCommandEvent& /*event*/) {
  SaveAs();
}

void CZelvohsDoc::ShowMessage(const std::string& text) const {
  TheApp().prompts().ShowMessage(GetDocumentWindow(), text);
}

}  // namespace zelvo::shell
