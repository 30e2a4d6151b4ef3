#include "platform/ui/wx_dialog_window.h"

#include <utility>

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/fontenum.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "platform/ui/wx_controls.h"
#include "platform/ui/wx_message_style.h"
#include "platform/ui/wx_text.h"

namespace zelvo::platform::ui {
namespace {

// The template's face where it is installed, else the system's sans-serif face, in the
// template's size.
wxFont DialogFont(const DialogTemplate& dialog) {
  wxFontInfo info(dialog.font_points);
  const wxString face = ToWxString(dialog.font_face);
  if (!face.empty() && wxFontEnumerator::IsValidFacename(face)) {
    info.FaceName(face);
  } else {
    info.Family(wxFONTFAMILY_SWISS);
  }
  return wxFont(info);
}

long StaticStyle(TextAlign align) {
  // A fixed size: a longer text set later does not move the neighbours.
  long style = wxST_NO_AUTORESIZE;
  switch (align) {
    case TextAlign::kLeft:
      return style | wxALIGN_LEFT;
    case TextAlign::kCenter:
      return style | wxALIGN_CENTRE_HORIZONTAL;
    case TextAlign::kRight:
      return style | wxALIGN_RIGHT;
  }
  return style;
}

wxWindowID WxId(int id) {
  return id == kNoControlId ? wxID_ANY : id;
}

}  // namespace

WxDialogWindow::WxDialogWindow(wxWindow* parent, const DialogTemplate& dialog)
    : dialog_template_(dialog) {
  long style = wxCAPTION;
  if (dialog.system_menu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
  dialog_ = new wxDialog(parent, wxID_ANY, ToWxString(dialog.title), wxDefaultPosition,
                         wxDefaultSize, style);
  // The dialog units follow from the font, so it comes first.
  dialog_->SetFont(DialogFont(dialog));
  CreateControls();

  const DialogUnits& rect = dialog.rect;
  dialog_->SetClientSize(dialog_->ConvertDialogToPixels(wxSize(rect.width, rect.height)));
  wxPoint origin = parent != nullptr ? parent->ClientToScreen(wxPoint(0, 0)) : wxPoint(0, 0);
  dialog_->Move(origin + dialog_->ConvertDialogToPixels(wxPoint(rect.x, rect.y)));

  dialog_->Bind(wxEVT_BUTTON, &WxDialogWindow::OnButton, this);
  dialog_->Bind(wxEVT_CHAR_HOOK, &WxDialogWindow::OnCharHook, this);
  dialog_->Bind(wxEVT_CLOSE_WINDOW, &WxDialogWindow::OnClose, this);
}

WxDialogWindow::~WxDialogWindow() {
  while (cursor_level_ > 0) EndWaitCursor();
  // The widgets go first; the control objects that wrap them follow with the members.
  delete dialog_;
}

void WxDialogWindow::CreateControls() {
  WxControlHost& host = *this;
  for (const ControlTemplate& control : dialog_template_.controls) {
    const wxPoint pos = dialog_->ConvertDialogToPixels(wxPoint(control.rect.x, control.rect.y));
    const wxSize size =
        dialog_->ConvertDialogToPixels(wxSize(control.rect.width, control.rect.height));
    const wxString text = ToWxString(control.text);
    const wxWindowID id = WxId(control.id);
    std::unique_ptr<Control> wrapper;
    wxWindow* widget = nullptr;
    switch (control.kind) {
      case ControlKind::kGroupBox: {
        auto* box = new wxStaticBox(dialog_, id, text, pos, size);
        wrapper = std::make_unique<WxGroupBox>(host, control.id, box);
        widget = box;
        break;
      }
      case ControlKind::kStatic: {
        auto* label = new wxStaticText(dialog_, id, text, pos, size, StaticStyle(control.align));
        wrapper = std::make_unique<WxStaticText>(host, control.id, label);
        widget = label;
        break;
      }
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton: {
        auto* button = new wxButton(dialog_, id, text, pos, size);
        if (control.kind == ControlKind::kDefaultPushButton) button->SetDefault();
        wrapper = std::make_unique<WxPushButton>(host, control.id, button);
        widget = button;
        break;
      }
      case ControlKind::kEditBox: {
        auto* edit = new wxTextCtrl(dialog_, id, text, pos, size);
        wrapper = std::make_unique<WxEditBox>(host, control.id, edit);
        widget = edit;
        break;
      }
      case ControlKind::kDropDownList: {
        // The template's height is the opened list's; the closed list takes its natural height.
        auto* list = new wxChoice(dialog_, id, pos, wxSize(size.GetWidth(), -1));
        auto list_wrapper = std::make_unique<WxDropDownList>(host, control.id, list);
        for (const std::string& entry : control.init_entries) list_wrapper->AddString(entry);
        wrapper = std::move(list_wrapper);
        widget = list;
        break;
      }
    }
    if (control.id != kNoControlId) by_id_.emplace(control.id, wrapper.get());
    controls_.push_back(std::move(wrapper));
    widgets_.push_back(widget);
  }
}

Control* WxDialogWindow::FindControl(int id) {
  auto it = by_id_.find(id);
  return it != by_id_.end() ? it->second : nullptr;
}

void WxDialogWindow::SetCommandHandler(int id, CommandHandler handler) {
  dispatcher_.Set(id, std::move(handler));
}

int WxDialogWindow::RunModal(const std::function<void()>& on_init) {
  if (ran_) return kDialogFailed;
  ran_ = true;
  if (on_init) on_init();
  if (ended_) return result_;
  // The toolkit takes the focus only from a window on the screen: once the modal run has
  // started.
  dialog_->CallAfter([this] { FocusFirstTabStop(); });
  return dialog_->ShowModal();
}

void WxDialogWindow::EndDialog(int result) {
  if (dialog_->IsModal()) {
    dialog_->EndModal(result);
  } else if (!ended_) {
    ended_ = true;
    result_ = result;
  }
}

StatusLine& WxDialogWindow::Status() {
  if (StaticText* status = FindStatic(dialog_template_.status_line_id)) return *status;
  return null_status_;
}

MessageAnswer WxDialogWindow::MessageBox(const std::string& text, const std::string& caption,
                                         MessageIcon icon, MessageButtons buttons) {
  // The box itself shows the normal cursor; the command's levels come back after it.
  for (int i = 0; i < cursor_level_; ++i) wxEndBusyCursor();
  wxMessageDialog box(dialog_, ToWxString(text), ToWxString(caption),
                      WxMessageBoxStyle(icon, buttons));
  const int wx_result = box.ShowModal();
  for (int i = 0; i < cursor_level_; ++i) wxBeginBusyCursor();
  return AnswerFromWxResult(wx_result, buttons);
}

void WxDialogWindow::BeginWaitCursor() {
  ++cursor_level_;
  wxBeginBusyCursor();
  ShowNow();
}

void WxDialogWindow::EndWaitCursor() {
  if (cursor_level_ == 0) return;  // an unmatched end does not upset the nesting
  --cursor_level_;
  wxEndBusyCursor();
}

bool WxDialogWindow::Press(int id) {
  auto* button = dynamic_cast<WxPushButton*>(FindControl(id));
  if (button == nullptr || !button->IsWindowEnabled() || dispatcher_.busy()) return false;
  return dispatcher_.Dispatch(id);
}

void WxDialogWindow::ShowNow() {
  if (!dialog_->IsShown()) return;
  // Painting and layout only: clicks and keys wait until the command has ended.
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  if (loop != nullptr && !loop->IsYielding()) loop->YieldFor(wxEVT_CATEGORY_UI);
  // The toolkit paints at most once a frame: a text set soon after another would wait for the
  // next frame, which does not come while the command blocks. Paint what is due now.
  dialog_->Update();
}

void WxDialogWindow::OnButton(wxCommandEvent& event) {
  if (by_id_.count(event.GetId()) == 0) {
    event.Skip();
    return;
  }
  dispatcher_.Dispatch(event.GetId());
}

void WxDialogWindow::OnCharHook(wxKeyEvent& event) {
  if (event.HasAnyModifiers()) {
    event.Skip();
    return;
  }
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
      dispatcher_.Dispatch(kIdCancel);
      return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: {
      // The focused button, else the default one.
      int id = DefaultButtonId();
      if (auto* focused = dynamic_cast<wxButton*>(wxWindow::FindFocus())) {
        if (focused->GetParent() == dialog_) id = focused->GetId();
      }
      Press(id);
      return;
    }
    default:
      event.Skip();
  }
}

void WxDialogWindow::OnClose(wxCloseEvent& event) {
  if (event.CanVeto()) {
    event.Veto();
    dispatcher_.Dispatch(kIdCancel);
  } else {
    EndDialog(kIdCancel);
  }
}

void WxDialogWindow::FocusFirstTabStop() {
  for (size_t i = 0; i < widgets_.size(); ++i) {
    if (dialog_template_.controls[i].tab_stop && widgets_[i]->IsThisEnabled()) {
      widgets_[i]->SetFocus();
      return;
    }
  }
}

int WxDialogWindow::DefaultButtonId() const {
  for (const ControlTemplate& control : dialog_template_.controls) {
    if (control.kind == ControlKind::kDefaultPushButton) return control.id;
  }
  return kNoControlId;
}

std::unique_ptr<DialogWindow> WxDialogFactory::CreateDialogWindow(const DialogTemplate& dialog) {
  return std::make_unique<WxDialogWindow>(parent_, dialog);
}

}  // namespace zelvo::platform::ui
