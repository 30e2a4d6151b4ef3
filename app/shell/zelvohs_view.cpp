#include "app/shell/zelvohs_view.h"

#include <wx/frame.h>
#include <wx/print.h>
#include <wx/settings.h>

#include "app/shell/blank_printout.h"
#include "app/shell/command_ids.h"
#include "app/shell/main_frame.h"
#include "app/shell/zelvohs_app.h"

namespace zelvo::shell {

wxIMPLEMENT_DYNAMIC_CLASS(CZelvohsView, wxView);

wxBEGIN_EVENT_TABLE(CZelvohsView, wxView) EVT_MENU(command::kFilePrint, CZelvohsView::OnFilePrint)
    wxEND_EVENT_TABLE()

        bool CZelvohsView::OnCreate(wxDocument* /*doc*/, long /*flags*/) {
  wxFrame* frame = TheApp().main_frame();
  if (frame == nullptr) return false;
  SetFrame(frame);
  canvas_ = new wxWindow(frame, wxID_ANY);
  canvas_->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  frame->SendSizeEvent();
  Activate(true);
  return true;
}

void CZelvohsView::OnDraw(wxDC* /*dc*/) {}

bool CZelvohsView::OnClose(bool delete_window) {
  if (!wxView::OnClose(delete_window)) return false;
  Activate(false);
  if (delete_window && canvas_ != nullptr) {
    canvas_->Destroy();
    canvas_ = nullptr;
  }
  return true;
}

void CZelvohsView::OnChangeFilename() {
  auto* frame = dynamic_cast<wxTopLevelWindow*>(GetFrame());
  if (frame == nullptr || GetDocumentManager() == nullptr) return;
  frame->SetTitle(GetDocumentManager()->MakeFrameTitle(GetDocument()));
}

wxPrintout* CZelvohsView::OnCreatePrintout() {
  const wxString title = GetDocument() != nullptr ? GetDocument()->GetUserReadableName() : "";
  return new BlankPrintout(title);
}

void CZelvohsView::OnFilePrint(wxCommandEvent& /*event*/) {
  wxPrinter printer;
  BlankPrintout printout(GetDocument() != nullptr ? GetDocument()->GetUserReadableName() : "");
  if (!printer.Print(GetFrame(), &printout, true) && wxPrinter::GetLastError() == wxPRINTER_ERROR) {
    TheApp().prompts().ShowMessage(GetFrame(), "The page could not be printed.");
  }
}

}  // namespace zelvo::shell
