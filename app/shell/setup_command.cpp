#include "app/shell/setup_command.h"

#include "app/setup_dialog.h"
#include "platform/ui/setup_dialog_template.h"
#include "platform/ui/wx_dialog_window.h"

namespace zelvo::shell {

bool RunSetupDialog(wxWindow* owner, SetupValues& values) {
  platform::ui::WxDialogWindow window(owner, platform::ui::SetupDialogTemplate());
  CSetupDlg dialog(window);
  dialog.SetValues(values);
  if (dialog.DoModal() != platform::ui::kIdOk) return false;
  values = dialog.Values();
  return true;
}

}  // namespace zelvo::shell
