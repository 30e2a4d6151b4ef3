#pragma once

#include "platform/ui/dialog_template.h"

class wxDialog;
class wxWindow;

namespace zelvo::shell {

// The About box's template (100): its title, font, place and size, and its three centred
// lines of text, in dialog units.
const platform::ui::DialogTemplate& AboutDialogTemplate();
// Where the application icon stands in it.
inline constexpr platform::ui::DialogUnits kAboutIconRect{11, 17, 20, 20};

// "About zelvoGDB for Cortex-SWD": the application icon and three lines of text, no buttons.
// It closes with its close box, Enter or Escape.
class CAboutDlg {
 public:
  explicit CAboutDlg(wxWindow* parent);
  ~CAboutDlg();
  CAboutDlg(const CAboutDlg&) = delete;
  CAboutDlg& operator=(const CAboutDlg&) = delete;

  int DoModal();
  wxDialog* wx_dialog() const { return dialog_; }

 private:
  wxDialog* dialog_;
};

}  // namespace zelvo::shell
