#include "app/shell/about_box.h"

#include <wx/dialog.h>
#include <wx/fontenum.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/resources/app_icon.xpm"
#include "platform/ui/wx_text.h"

namespace zelvo::shell {
namespace {

using platform::ui::ControlKind;
using platform::ui::ControlTemplate;
using platform::ui::DialogTemplate;
using platform::ui::DialogUnits;
using platform::ui::TextAlign;

ControlTemplate CentredText(const char* text, DialogUnits rect) {
  ControlTemplate control;
  control.kind = ControlKind::kStatic;
  control.text = text;
  control.rect = rect;
  control.align = TextAlign::kCenter;
  return control;
}

DialogTemplate MakeAboutTemplate() {
  DialogTemplate dialog;
  dialog.resource_id = 100;
  dialog.title = "About zelvoGDB for Cortex-SWD";
  dialog.font_face = "MS Sans Serif";
  dialog.font_points = 8;
  dialog.rect = {30, 35, 221, 48};
  dialog.system_menu = true;
  dialog.controls = {
      CentredText("ZELVO9 Configuration Version 1.00", {40, 10, 165, 8}),
      CentredText("for GNU Debugger Cortex-SWD", {40, 20, 165, 8}),
      CentredText("Linux edition, built on wxWidgets", {40, 35, 165, 8}),
  };
  return dialog;
}

wxFont DialogFont(const DialogTemplate& dialog) {
  wxFontInfo info(dialog.font_points);
  const wxString face = platform::ui::ToWxString(dialog.font_face);
  if (wxFontEnumerator::IsValidFacename(face)) {
    info.FaceName(face);
  } else {
    info.Family(wxFONTFAMILY_SWISS);
  }
  return wxFont(info);
}

}  // namespace

const DialogTemplate& AboutDialogTemplate() {
  static const DialogTemplate dialog = MakeAboutTemplate();
  return dialog;
}

CAboutDlg::CAboutDlg(wxWindow* parent) {
  const DialogTemplate& t = AboutDialogTemplate();
  dialog_ = new wxDialog(parent, wxID_ANY, platform::ui::ToWxString(t.title), wxDefaultPosition,
                         wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  dialog_->SetFont(DialogFont(t));

  const wxPoint icon_pos =
      dialog_->ConvertDialogToPixels(wxPoint(kAboutIconRect.x, kAboutIconRect.y));
  new wxStaticBitmap(dialog_, wxID_ANY, wxBitmap(app_icon_xpm), icon_pos);
  for (const ControlTemplate& control : t.controls) {
    const wxPoint pos = dialog_->ConvertDialogToPixels(wxPoint(control.rect.x, control.rect.y));
    const wxSize size =
        dialog_->ConvertDialogToPixels(wxSize(control.rect.width, control.rect.height));
    new wxStaticText(dialog_, wxID_ANY, platform::ui::ToWxString(control.text), pos, size,
                     wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  }
  dialog_->SetClientSize(dialog_->ConvertDialogToPixels(wxSize(t.rect.width, t.rect.height)));
  const wxPoint origin = parent != nullptr ? parent->ClientToScreen(wxPoint(0, 0)) : wxPoint();
  dialog_->Move(origin + dialog_->ConvertDialogToPixels(wxPoint(t.rect.x, t.rect.y)));

  // Without buttons the toolkit has nothing for Enter and Escape to press.
  dialog_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
      case WXK_ESCAPE:
        dialog_->EndModal(wxID_CANCEL);
        return;
      case WXK_RETURN:
      case WXK_NUMPAD_ENTER:
        dialog_->EndModal(wxID_OK);
        return;
      default:
        event.Skip();
    }
  });
}

CAboutDlg::~CAboutDlg() {
  delete dialog_;
}

int CAboutDlg::DoModal() {
  return dialog_->ShowModal();
}

}  // namespace zelvo::shell
