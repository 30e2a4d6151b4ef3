#pragma once

#include <string>
#include <vector>

#include <wx/docview.h>

#include "app/shell/window_placement.h"
#include "platform/profile_file.h"

class wxMenu;
class wxStatusBar;
class wxToolBar;

namespace zelvo::shell {

// The main window: the menu, the toolbar at the top, the status bar at the bottom with the
// message pane and the "CAP", "NUM" and "SCRL" indicators, and the view in between. It takes the
// placement stored in the profile when that lies inside the desktop, and stores its placement
// when it is asked to close in the normal show state, before the save question (so also when the
// user then cancels).
class CMainFrame final : public wxDocParentFrame {
 public:
  CMainFrame(wxDocManager* manager, const platform::ProfileFile& profile);

  // Shows `files` (newest first) as the File menu's recent files.
  void SetRecentFiles(const std::vector<std::string>& files);

  // False when the toolbar or the status bar could not be made: the window is then no use.
  bool bars_created() const { return bars_created_; }
  wxMenu* file_menu() const { return file_menu_; }
  // The window's rectangle as the profile stores it, and its show state.
  WindowRect NormalRect() const;
  WindowShowState ShowState() const;

 protected:
  bool TryBefore(wxEvent& event) override;

 private:
  bool CreateToolBarButtons();
  bool CreateStatusBarPanes();
  void StorePlacement();
  void UpdateIndicators();
  void OnViewToolbar(wxCommandEvent& event);
  void OnViewStatusBar(wxCommandEvent& event);
  void OnUpdateViewToolbar(wxUpdateUIEvent& event);
  void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
  void OnAppExit(wxCommandEvent& event);
  void OnIdle(wxIdleEvent& event);

  wxMenu* file_menu_ = nullptr;
  bool bars_created_ = false;
  bool caps_on_ = false;
  bool num_on_ = false;
  bool scroll_on_ = false;
  bool indicators_shown_ = false;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace zelvo::shell
