#pragma once

#include <wx/docview.h>

class wxPrintout;
class wxWindow;

namespace zelvo::shell {

// The view of the settings document: an empty window filling the main window. It draws
// nothing, so printing yields one blank page.
class CZelvohsView final : public wxView {
 public:
  CZelvohsView() = default;

  bool OnCreate(wxDocument* doc, long flags) override;
  void OnDraw(wxDC* dc) override;
  bool OnClose(bool delete_window) override;
  // The main window's title follows the document's name.
  void OnChangeFilename() override;
  wxPrintout* OnCreatePrintout() override;

  wxWindow* canvas() const { return canvas_; }

 private:
  // File Print: the print dialog, then one blank page.
  void OnFilePrint(wxCommandEvent& event);

  wxWindow* canvas_ = nullptr;

  wxDECLARE_DYNAMIC_CLASS(CZelvohsView);
  wxDECLARE_EVENT_TABLE();
};

}  // namespace zelvo::shell
