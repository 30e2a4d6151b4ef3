#include "app/shell/setup_command.h"

#include "app/setup_dialog.h"
#include "platform/ui/setup_dialog_template.h"
#include "platform/ui/wx_dialog_window.h"

namespace zelvo::shell {

bool RunSetupDialog(wxWindow* owner, SetupValues& values) {
  platform::ui::WxDialogWindow window(owner, platform::ui::SetupDialogTemplate());
  CSetupDlg dialog(window);
  dialog.speed_index = values.speed_index;
  dialog.port_index = values.port_index;
  dialog.box_ip_address = values.box_ip_address;
  dialog.config_host_ip_address = values.config_host_ip_address;
  dialog.config_file_name = values.config_file_name;
  dialog.subnet_mask = values.subnet_mask;
  dialog.default_gateway = values.default_gateway;
  if (dialog.DoModal() != platform::ui::kIdOk) return false;
  values.speed_index = dialog.speed_index;
  values.port_index = dialog.port_index;
  values.box_ip_address = dialog.box_ip_address;
  values.config_host_ip_address = dialog.config_host_ip_address;
  values.config_file_name = dialog.config_file_name;
  values.subnet_mask = dialog.subnet_mask;
  values.default_gateway = dialog.default_gateway;
  return true;
}

}  // namespace zelvo::shell
