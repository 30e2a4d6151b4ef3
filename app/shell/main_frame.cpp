#include "app/shell/main_frame.h"

#include <wx/display.h>
#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/resources/app_icon.xpm"
#include "app/resources/toolbar.xpm"
#include "app/shell/command_ids.h"
#include "app/shell/main_menu.h"
#include "app/shell/string_table.h"
#include "app/shell/zelvohs_app.h"

namespace zelvo::shell {
namespace {

constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 15;
// The toolbar's entries; 0 stands for a separator.
constexpr int kToolbarEntries[] = {
    command::kFileNew,  command::kFileOpen,   command::kFileSave, 0, command::kSetup, 0,
    command::kAppAbout, command::kContextHelp};
const wxSize kDefaultSize(640, 480);

std::vector<WindowRect> DisplayAreas() {
  std::vector<WindowRect> areas;
  for (unsigned int i = 0; i < wxDisplay::GetCount(); ++i) {
    const wxRect area = wxDisplay(i).GetClientArea();
    areas.push_back({area.GetLeft(), area.GetTop(), area.GetRight() + 1, area.GetBottom() + 1});
  }
  return areas;
}

}  // namespace

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
    EVT_MENU(command::kViewToolbar, CMainFrame::OnViewToolbar)
        EVT_MENU(command::kViewStatusBar, CMainFrame::OnViewStatusBar)
            EVT_UPDATE_UI(command::kViewToolbar, CMainFrame::OnUpdateViewToolbar)
                EVT_UPDATE_UI(command::kViewStatusBar, CMainFrame::OnUpdateViewStatusBar)
                    EVT_MENU(command::kAppExit, CMainFrame::OnAppExit) EVT_IDLE(CMainFrame::OnIdle)
                        wxEND_EVENT_TABLE()

                            CMainFrame::CMainFrame(wxDocManager* manager,
                                                   const platform::ProfileFile& profile)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, kMainWindowTitle, wxDefaultPosition,
                       kDefaultSize) {
  if (const std::optional<WindowRect> placement = PlacementToRestore(profile, DisplayAreas())) {
    SetSize(placement->left, placement->top, placement->right - placement->left,
            placement->bottom - placement->top);
  }
  SetIcon(wxIcon(app_icon_xpm));

  wxMenuBar* menu_bar = CreateMainMenuBar();
  file_menu_ = menu_bar->GetMenu(0);
  SetMenuBar(menu_bar);
  const std::vector<wxAcceleratorEntry> keys = MainAcceleratorEntries();
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

  bars_created_ = CreateToolBarButtons() && CreateStatusBarPanes();
}

bool CMainFrame::CreateToolBarButtons() {
  wxToolBar* toolbar =
      CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER, command::kViewToolbar);
  if (toolbar == nullptr) return false;
  toolbar->SetToolBitmapSize(wxSize(kButtonWidth, kButtonHeight));
  const wxBitmap strip(toolbar_xpm);
  int image = 0;
  for (int id : kToolbarEntries) {
    if (id == 0) {
      toolbar->AddSeparator();
      continue;
    }
    const wxBitmap button =
        strip.GetSubBitmap(wxRect(image * kButtonWidth, 0, kButtonWidth, kButtonHeight));
    ++image;
    // No tooltip; the prompt shows in the status bar while the pointer is on the button.
    toolbar->AddTool(id, wxEmptyString, button, wxNullBitmap, wxITEM_NORMAL, wxEmptyString,
                     wxString::FromUTF8(CommandPrompt(id)));
  }
  return toolbar->Realize();
}

bool CMainFrame::CreateStatusBarPanes() {
  wxStatusBar* bar =
      CreateStatusBar(4, wxSTB_SIZEGRIP | wxFULL_REPAINT_ON_RESIZE, command::kViewStatusBar);
  if (bar == nullptr) return false;
  // Each indicator is as wide as its text, with a margin.
  const int margin = bar->GetCharWidth() * 2;
  const int widths[] = {-1, bar->GetTextExtent("CAP").GetWidth() + margin,
                        bar->GetTextExtent("NUM").GetWidth() + margin,
                        bar->GetTextExtent("SCRL").GetWidth() + margin};
  bar->SetStatusWidths(4, widths);
  const int styles[] = {wxSB_SUNKEN, wxSB_SUNKEN, wxSB_SUNKEN, wxSB_SUNKEN};
  bar->SetStatusStyles(4, styles);
  SetStatusBarPane(0);
  bar->SetStatusText(kIdleStatusText, 0);
  UpdateIndicators();
  return true;
}

void CMainFrame::SetRecentFiles(const std::vector<std::string>& files) {
  if (file_menu_ != nullptr) SetRecentFileItems(*file_menu_, files);
}

WindowRect CMainFrame::NormalRect() const {
  const wxRect rect = GetRect();
  return {rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
          rect.GetTop() + rect.GetHeight()};
}

WindowShowState CMainFrame::ShowState() const {
  if (IsIconized()) return WindowShowState::kMinimized;
  if (IsMaximized() || IsFullScreen()) return WindowShowState::kMaximized;
  return WindowShowState::kNormal;
}

bool CMainFrame::TryBefore(wxEvent& event) {
  // Ahead of the document manager's close handling, which asks the save question.
  if (event.GetEventType() == wxEVT_CLOSE_WINDOW && event.GetEventObject() == this) {
    StorePlacement();
  }
  return wxDocParentFrame::TryBefore(event);
}

void CMainFrame::StorePlacement() {
  const WindowShowState state = ShowState();
  if (state != WindowShowState::kNormal) return;
  const WindowRect rect = NormalRect();
  TheApp().UpdateProfile(
      [&](platform::ProfileFile& profile) { StoreWindowPlacement(profile, rect, state); });
}

void CMainFrame::UpdateIndicators() {
  wxStatusBar* bar = GetStatusBar();
  if (bar == nullptr) return;
  const bool caps = wxGetKeyState(WXK_CAPITAL);
  const bool num = wxGetKeyState(WXK_NUMLOCK);
  const bool scroll = wxGetKeyState(WXK_SCROLL);
  if (indicators_shown_ && caps == caps_on_ && num == num_on_ && scroll == scroll_on_) return;
  caps_on_ = caps;
  num_on_ = num;
  scroll_on_ = scroll;
  indicators_shown_ = true;
  bar->SetStatusText(caps ? "CAP" : "", 1);
  bar->SetStatusText(num ? "NUM" : "", 2);
  bar->SetStatusText(scroll ? "SCRL" : "", 3);
}

void CMainFrame::OnViewToolbar(wxCommandEvent& /*event*/) {
  if (wxToolBar* toolbar = GetToolBar()) {
    toolbar->Show(!toolbar->IsShown());
    SendSizeEvent();
  }
}

void CMainFrame::OnViewStatusBar(wxCommandEvent& /*event*/) {
  if (wxStatusBar* bar = GetStatusBar()) {
    bar->Show(!bar->IsShown());
    SendSizeEvent();
  }
}

void CMainFrame::OnUpdateViewToolbar(wxUpdateUIEvent& event) {
  event.Check(GetToolBar() != nullptr && GetToolBar()->IsShown());
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
  event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
}

void CMainFrame::OnAppExit(wxCommandEvent& /*event*/) {
  Close();
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
  UpdateIndicators();
  event.Skip();
}

}  // namespace zelvo::shell
