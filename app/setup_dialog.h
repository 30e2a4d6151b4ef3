#pragma once

#include <cstdint>
#include <string>

#include "app/settings_document.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"

namespace zelvo {

// The "ZELVO9 Update/Setup" dialog: all work on the box. Built on a window made from template
// 104 (headless in tests and in the terminal front end, wxWidgets on the desktop), filled with
// the settings document's seven values before it runs.
class CSetupDlg : public platform::ui::Dialog {
 public:
  explicit CSetupDlg(platform::ui::DialogWindow& window);

  // The dialog's values, in declaration order.
  int port_index = -1;
  int speed_index = -1;
  std::string box_ip_address;
  std::string config_host_ip_address;
  std::string config_file_name;
  std::string serial_number;
  std::string subnet_mask;
  std::string default_gateway;
  std::string mac_address;
  uint16_t loader_version = 0;
  uint16_t firmware_current_version = 0;
  uint16_t logic_current_version = 0;
  uint16_t firmware_newest_version = 0;
  uint16_t logic_newest_version = 0;

  // The seven values a settings document hands in before the dialog runs and takes back after
  // OK.
  void SetValues(const SetupValues& values);
  SetupValues Values() const;

  // The commands behind the buttons (and OK, Cancel and the Escape key).
  void OnConnect();
  void OnCurrent();
  void OnUpdate();
  void OnErase();
  void OnTransmit();
  void OnOK() override;
  void OnCancel() override;

  // True once a Connect has succeeded (Connect is disabled from then on).
  bool connected() const { return connected_; }
  // Initialises the dialog as opening its window does; for front ends that drive the commands
  // without running the window modally.
  void Initialise() { OnInitDialog(); }

 protected:
  void DoDataExchange(platform::ui::DataExchange& dx) override;
  void OnInitDialog() override;

 private:
  platform::DialogFeedback& feedback() const { return window(); }
  void SetStatus(const std::string& text) const { feedback().Status().SetText(text); }
  int ReadIdentity();
  void ShowCurrentVersions();
  bool UpdateNeeded() const;
  void ApplyUpdateRule();
  // The firmware and logic parts of Update; a file that cannot be read is reported here.
  int UpdateFirmwarePart();
  bool UpdateLogicPart();

  platform::ui::PushButton* erase_button_ = nullptr;
  platform::ui::PushButton* transmit_button_ = nullptr;
  platform::ui::PushButton* connect_button_ = nullptr;
  platform::ui::PushButton* current_button_ = nullptr;
  platform::ui::PushButton* update_button_ = nullptr;
  platform::ui::StaticText* loader_current_display_ = nullptr;
  platform::ui::StaticText* status_line_ = nullptr;
  platform::ui::StaticText* logic_newest_display_ = nullptr;
  platform::ui::StaticText* logic_current_display_ = nullptr;
  platform::ui::StaticText* firmware_newest_display_ = nullptr;
  platform::ui::StaticText* firmware_current_display_ = nullptr;
  bool connected_ = false;
};

}  // namespace zelvo
