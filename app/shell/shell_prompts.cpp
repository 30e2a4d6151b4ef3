#include "app/shell/shell_prompts.h"

#include <sys/stat.h>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "app/shell/string_table.h"
#include "app/shell/wx_shell_text.h"
#include "platform/dialog_feedback.h"

namespace zelvo::shell {
namespace {

wxString Caption() {
  return platform::kApplicationTitle;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

std::optional<std::string> WxShellPrompts::AskOpenPath(wxWindow* owner) {
  wxFileDialog dialog(owner, "Open", wxEmptyString, wxEmptyString, kDocumentFilter,
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return PathFromWx(dialog.GetPath());
}

std::optional<std::string> WxShellPrompts::AskSavePath(wxWindow* owner,
                                                       const std::string& suggested_name) {
  wxFileDialog dialog(owner, "Save As", wxEmptyString, PathToWx(suggested_name), kDocumentFilter,
                      wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  const std::string chosen = PathFromWx(dialog.GetPath());
  const std::string path = WithDocumentExtension(chosen);
  // The dialog asked about the name as typed; a file under the completed name is asked about
  // here.
  if (path != chosen && Exists(path)) {
    wxMessageDialog box(owner, MessageToWx(path + " already exists.\nDo you want to replace it?"),
                        Caption(), wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION);
    if (box.ShowModal() != wxID_YES) return std::nullopt;
  }
  return path;
}

SaveChangesAnswer WxShellPrompts::AskSaveChanges(wxWindow* owner, const std::string& question) {
  wxMessageDialog box(owner, MessageToWx(question), Caption(),
                      wxYES_NO | wxCANCEL | wxICON_EXCLAMATION);
  switch (box.ShowModal()) {
    case wxID_YES:
      return SaveChangesAnswer::kYes;
    case wxID_NO:
      return SaveChangesAnswer::kNo;
    default:
      return SaveChangesAnswer::kCancel;
  }
}

void WxShellPrompts::ShowMessage(wxWindow* owner, const std::string& text) {
  wxMessageDialog box(owner, MessageToWx(text), Caption(), wxOK | wxICON_EXCLAMATION);
  box.ShowModal();
}

}  // namespace zelvo::shell
