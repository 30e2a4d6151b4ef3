#include "app/setup_dialog.h"

#include "firmware/firmware_update.h"
#include "firmware/update_files.h"
#include "link/loader_handshake.h"
#include "link/serial_channel.h"
#include "loader/device_identity.h"
#include "loader/loader_commands.h"
#include "logic/logic_sequences.h"
#include "netsetup/ip_address.h"
#include "netsetup/setup_block.h"
#include "platform/text_file.h"
#include "platform/ui/setup_dialog_template.h"

namespace zelvo {
namespace {

namespace id = platform::ui::setup_dialog;
using platform::MessageButtons;
using platform::MessageIcon;

constexpr int kConnectAttempts = 10;
constexpr size_t kAddressChars = 15;

// One level of the counted wait cursor, ended when the scope is left by any way.
class WaitCursor {
 public:
  explicit WaitCursor(platform::DialogFeedback& feedback) : feedback_(feedback) {
    feedback_.BeginWaitCursor();
  }
  ~WaitCursor() { End(); }
  void End() {
    if (active_) feedback_.EndWaitCursor();
    active_ = false;
  }

 private:
  platform::DialogFeedback& feedback_;
  bool active_ = true;
};

}  // namespace

CSetupDlg::CSetupDlg(platform::ui::DialogWindow& window) : Dialog(window) {
  OnCommand(id::kConnectButton, [this] { OnConnect(); });
  OnCommand(id::kTransmitButton, [this] { OnTransmit(); });
  OnCommand(id::kCurrentButton, [this] { OnCurrent(); });
  OnCommand(id::kUpdateButton, [this] { OnUpdate(); });
  OnCommand(id::kEraseButton, [this] { OnErase(); });
}

void CSetupDlg::SetValues(const SetupValues& values) {
  speed_index = values.speed_index;
  port_index = values.port_index;
  box_ip_address = values.box_ip_address;
  config_host_ip_address = values.config_host_ip_address;
  config_file_name = values.config_file_name;
  subnet_mask = values.subnet_mask;
  default_gateway = values.default_gateway;
}

SetupValues CSetupDlg::Values() const {
  return SetupValues{speed_index,      port_index,  box_ip_address, config_host_ip_address,
                     config_file_name, subnet_mask, default_gateway};
}

void CSetupDlg::DoDataExchange(platform::ui::DataExchange& dx) {
  dx.BindControl(id::kEraseButton, erase_button_);
  dx.BindControl(id::kTransmitButton, transmit_button_);
  dx.BindControl(id::kConnectButton, connect_button_);
  dx.BindControl(id::kCurrentButton, current_button_);
  dx.CBIndex(id::kPortList, port_index);
  dx.CBIndex(id::kSpeedList, speed_index);
  dx.BindControl(id::kUpdateButton, update_button_);
  dx.BindControl(id::kLoaderCurrentDisplay, loader_current_display_);
  dx.BindControl(id::kStatusLine, status_line_);
  dx.BindControl(id::kLogicNewestDisplay, logic_newest_display_);
  dx.BindControl(id::kLogicCurrentDisplay, logic_current_display_);
  dx.BindControl(id::kFirmwareNewestDisplay, firmware_newest_display_);
  dx.BindControl(id::kFirmwareCurrentDisplay, firmware_current_display_);
  dx.Text(id::kBoxIpAddressEdit, box_ip_address);
  dx.MaxChars(kAddressChars);
  dx.Text(id::kHostIpAddressEdit, config_host_ip_address);
  dx.MaxChars(kAddressChars);
  dx.Text(id::kConfigFileNameEdit, config_file_name);
  dx.Text(id::kSerialNumberDisplay, serial_number);
  dx.Text(id::kSubnetMaskEdit, subnet_mask);
  dx.MaxChars(kAddressChars);
  dx.Text(id::kDefaultGatewayEdit, default_gateway);
  dx.MaxChars(kAddressChars);
  dx.Text(id::kMacAddressDisplay, mac_address);
  if (dx.from_controls() && !dx.failed() && ParseIpAddress(box_ip_address) == kInvalidIpAddress) {
    feedback().MessageBox("Invalid IP address!", platform::kApplicationTitle,
                          MessageIcon::kExclamation, MessageButtons::kOk);
    dx.Fail();
  }
}

void CSetupDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  SetStatus("");
  loader_version = 0;
  firmware_current_version = 0;
  logic_current_version = 0;
  firmware_newest_version = NewestUpdateVersion("ZV9SWDGD");
  logic_newest_version = NewestUpdateVersion("SWDJED20");
  if (firmware_newest_display_ != nullptr) {
    firmware_newest_display_->SetWindowText(FormatVersion(firmware_newest_version));
  }
  if (logic_newest_display_ != nullptr) {
    logic_newest_display_->SetWindowText(FormatVersion(logic_newest_version));
  }
  if (connect_button_ != nullptr) connect_button_->EnableWindow(true);
  for (platform::ui::PushButton* b :
       {current_button_, transmit_button_, update_button_, erase_button_}) {
    if (b != nullptr) b->EnableWindow(false);
  }
}

int CSetupDlg::ReadIdentity() {
  DeviceIdentity identity{loader_version, firmware_current_version, logic_current_version,
                          serial_number};
  int rc = ReadDeviceIdentity(identity);
  loader_version = identity.loader_version;
  firmware_current_version = identity.firmware_version;
  logic_current_version = identity.logic_version;
  serial_number = identity.serial_number;
  mac_address = MacAddressText(serial_number);
  return rc;
}

void CSetupDlg::ShowCurrentVersions() {
  if (loader_current_display_ != nullptr) {
    loader_current_display_->SetWindowText(FormatVersion(loader_version));
  }
  if (firmware_current_display_ != nullptr) {
    firmware_current_display_->SetWindowText(FormatVersion(firmware_current_version));
  }
  if (logic_current_display_ != nullptr) {
    logic_current_display_->SetWindowText(FormatVersion(logic_current_version));
  }
}

bool CSetupDlg::UpdateNeeded() const {
  return firmware_newest_version != firmware_current_version ||
         logic_newest_version != logic_current_version;
}

void CSetupDlg::ApplyUpdateRule() {
  if (update_button_ != nullptr) update_button_->EnableWindow(UpdateNeeded());
}

void CSetupDlg::OnConnect() {
  if (!UpdateData(true)) return;
  WaitCursor wait(feedback());
  SetStatus("Connecting to ZELVO Loader ...");
  int rc = 0;
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    rc = OpenLoaderLink(port_index, speed_index);
    if (rc == 0) rc = ReadIdentity();
    if (rc == 0) {
      UpdateData(false);
      ShowCurrentVersions();
      break;
    }
    CloseLink();
  }
  wait.End();
  if (rc != 0 || loader_version == 0) {
    CloseLink();
    feedback().ShowMessage(rc != 0 ? "Cannot connect to ZELVO loader!"
                                   : "There is no ZELVO9 connected!");
    SetStatus("Connecting to ZELVO loader failed!");
    return;
  }
  SetStatus("Connecting to ZELVO Loader passed!");
  ShowCurrentVersions();
  connected_ = true;
  if (connect_button_ != nullptr) connect_button_->EnableWindow(false);
  for (platform::ui::PushButton* b : {current_button_, erase_button_, transmit_button_}) {
    if (b != nullptr) b->EnableWindow(true);
  }
  ApplyUpdateRule();
}

void CSetupDlg::OnCurrent() {
  WaitCursor wait(feedback());
  SetStatus("Reading current versions, please wait.");
  int rc = ReadIdentity();
  if (rc == 0) {
    UpdateData(false);
    ShowCurrentVersions();
  }
  wait.End();
  if (rc == 0) {
    SetStatus("Reading current versions passed!");
    ApplyUpdateRule();
  } else {
    feedback().ShowMessage("Communication with ZELVO failed!");
    SetStatus("Reading current versions failed!");
  }
}

int CSetupDlg::UpdateFirmwarePart() {
  int rc = 0;
  try {
    rc = UpdateFirmware(firmware_newest_version, feedback().Status());
  } catch (const platform::FileException& e) {
    // The file could not be read to its end (a vanished disk, say): a failed update.
    feedback().ShowMessage(e.what());
    rc = kUpdateFileUnusable;
  }
  if (rc != 0) feedback().ShowMessage("Firmware update failed!");
  return rc;
}

bool CSetupDlg::UpdateLogicPart() {
  try {
    return LogicUpdateSequence(logic_newest_version, serial_number, feedback());
  } catch (const platform::FileException& e) {
    feedback().ShowMessage(e.what());
    return false;
  }
}

void CSetupDlg::OnUpdate() {
  WaitCursor wait(feedback());
  int firmware_result = 0;
  bool logic_ok = true;
  int identity_result = 0;
  if (firmware_newest_version != firmware_current_version) firmware_result = UpdateFirmwarePart();
  if (firmware_result == 0 && logic_newest_version != logic_current_version) {
    logic_ok = UpdateLogicPart();
  }
  if (firmware_result == 0 && logic_ok) identity_result = ReadIdentity();
  if (firmware_result == 0 && logic_ok && identity_result == 0) {
    UpdateData(false);
    SetStatus("Updating firmware and logic passed!");
    ApplyUpdateRule();
  } else {
    SetStatus("Updating firmware and logic failed!");
    firmware_current_version = 0;
    logic_current_version = 0;
  }
  if (firmware_current_display_ != nullptr) {
    firmware_current_display_->SetWindowText(FormatVersion(firmware_current_version));
  }
  if (logic_current_display_ != nullptr) {
    logic_current_display_->SetWindowText(FormatVersion(logic_current_version));
  }
}

void CSetupDlg::OnErase() {
  if (feedback().MessageBox("Erase Flash and EPLD?", platform::kApplicationTitle,
                            MessageIcon::kExclamation,
                            MessageButtons::kYesNo) != platform::MessageAnswer::kYes) {
    return;
  }
  WaitCursor wait(feedback());
  SetStatus("Erasing Flash and EPLD ...");
  bool logic_ok = LogicEraseSequence(feedback());
  logic_current_version = 0;
  SetStatus("Erasing all flash sectors ...");
  int flash_result = EraseAllFlash();
  firmware_current_version = 0;
  if (flash_result == 0 && logic_ok) {
    UpdateData(false);
    SetStatus("Erasing Flash and EPLD passed!");
    if (update_button_ != nullptr) update_button_->EnableWindow(true);
  } else {
    SetStatus("Erasing Flash and EPLD failed!");
  }
  // The box's own spelling on these two displays after an erase.
  if (firmware_current_display_ != nullptr) firmware_current_display_->SetWindowText("unkown");
  if (logic_current_display_ != nullptr) logic_current_display_->SetWindowText("unkown");
}

void CSetupDlg::OnTransmit() {
  if (!UpdateData(true)) return;
  WaitCursor wait(feedback());
  SetStatus("Writing setup data ....");
  int rc = WriteSetupBlock(config_host_ip_address, box_ip_address, subnet_mask, default_gateway,
                           config_file_name);
  wait.End();
  if (rc == 0) {
    SetStatus("Writing setup data passed");
  } else {
    SetStatus("Writing setup data failed!");
    feedback().MessageBox("Transfer failed!", "Error", MessageIcon::kExclamation,
                          MessageButtons::kOk);
  }
}

void CSetupDlg::OnOK() {
  {
    WaitCursor wait(feedback());
    SetStatus("Starting firmware please wait....");
    StartFirmware();
    CloseLink();
  }
  if (UpdateData(true)) EndDialog(platform::ui::kIdOk);
}

void CSetupDlg::OnCancel() {
  {
    WaitCursor wait(feedback());
    SetStatus("Starting firmware please wait....");
    StartFirmware();
    CloseLink();
  }
  EndDialog(platform::ui::kIdCancel);
}

}  // namespace zelvo
