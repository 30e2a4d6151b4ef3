#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/setup_dialog_template.h"

namespace zelvo::platform::ui::testing {

// A dialog over the Update/Setup template whose exchange has the shape the real one has: bound
// buttons, two list selections, limited and unlimited edit texts, static texts, and a final check
// of its own that can fail the exchange.
class SampleDialog : public Dialog {
 public:
  using Dialog::Dialog;

  PushButton* connect = nullptr;
  StaticText* status = nullptr;
  int port_index = -1;
  int speed_index = -1;
  std::string box_ip;
  std::string file_name;
  std::string serial_number;
  std::string subnet_mask;
  std::string gateway;
  bool refuse = false;  // the final check fails
  int init_count = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    namespace ids = setup_dialog;
    dx.BindControl(ids::kConnectButton, connect);
    dx.CBIndex(ids::kPortList, port_index);
    dx.CBIndex(ids::kSpeedList, speed_index);
    dx.BindControl(ids::kStatusLine, status);
    dx.Text(ids::kBoxIpAddressEdit, box_ip);
    dx.MaxChars(15);
    dx.Text(ids::kConfigFileNameEdit, file_name);
    dx.Text(ids::kSerialNumberDisplay, serial_number);
    dx.Text(ids::kSubnetMaskEdit, subnet_mask);
    dx.MaxChars(15);
    dx.Text(ids::kDefaultGatewayEdit, gateway);
    dx.MaxChars(15);
    if (dx.from_controls() && !dx.failed() && refuse) {
      dx.window().MessageBox("Refused!", kApplicationTitle, MessageIcon::kExclamation,
                             MessageButtons::kOk);
      dx.Fail();
    }
  }

  void OnInitDialog() override {
    ++init_count;
    Dialog::OnInitDialog();
  }
};

}  // namespace zelvo::platform::ui::testing
