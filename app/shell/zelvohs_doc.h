#pragma once

#include <string>

#include <wx/docview.h>

#include "app/settings_document.h"

namespace zelvo::shell {

enum class OpenResult {
  kOpened,     // the file is the document now (or already was)
  kCancelled,  // the user kept the document at the save question
  kFailed,     // the file could not be opened or read; the user was told, the document is kept
};

// The settings document as the document framework handles it: the file format and the values
// are the toolkit-free zelvo::CZelvohsDoc, which this class holds and loads, saves and edits
// through LoadDocumentFile, SaveDocumentFile and the Setup command.
//
// The one document lives from start-up to the end: File New resets it, File Open loads a file
// into it. A file is read completely before it replaces the document, so a file that cannot be
// read leaves the document as it was.
class CZelvohsDoc final : public wxDocument {
 public:
  CZelvohsDoc() = default;

  zelvo::CZelvohsDoc& settings() { return settings_; }
  const zelvo::CZelvohsDoc& settings() const { return settings_; }
  // The document's file; empty while it has none.
  std::string path() const;

  // Opens `path` (made absolute) into the document after the save question for a modified one.
  // The document's own file is not read again.
  OpenResult OpenFile(const std::string& path);
  // Makes the document the one of `path`, whose contents `settings` already hold: its name, its
  // place first in the recent-file list, not modified.
  void AdoptFile(const std::string& path);

  // wxDocument
  bool OnNewDocument() override;
  bool DeleteContents() override;
  // "Save changes to %1?" for a modified document: Yes saves (and a failed or cancelled save
  // keeps the document), No goes on without saving, Cancel stops.
  bool OnSaveModified() override;
  // Saves to the document's file; a document without one, or whose file is read-only, is saved
  // through Save As.
  bool Save() override;
  bool SaveAs() override;

 protected:
  bool DoOpenDocument(const wxString& file) override;
  bool DoSaveDocument(const wxString& file) override;

 private:
  void OnSetup(wxCommandEvent& event);
  void OnFileSave(wxCommandEvent& event);
  void OnFileSaveAs(wxCommandEvent& event);
  bool SaveTo(const std::string& path);
  void ShowMessage(const std::string& text) const;

  zelvo::CZelvohsDoc settings_;

  wxDECLARE_DYNAMIC_CLASS(CZelvohsDoc);
  wxDECLARE_EVENT_TABLE();
};

}  // namespace zelvo::shell
