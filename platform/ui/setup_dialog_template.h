#pragma once

#include "platform/ui/dialog_template.h"

namespace zelvo::platform::ui {

// The control IDs of the Update/Setup dialog (template 104).
namespace setup_dialog {
inline constexpr int kTemplateId = 104;
inline constexpr int kCurrentButton = 105;
inline constexpr int kFirmwareCurrentDisplay = 106;
inline constexpr int kFirmwareNewestDisplay = 107;
inline constexpr int kLogicCurrentDisplay = 108;
inline constexpr int kLogicNewestDisplay = 109;
inline constexpr int kUpdateButton = 110;
inline constexpr int kStatusLine = 111;
inline constexpr int kLoaderCurrentDisplay = 112;
inline constexpr int kBoxIpAddressEdit = 113;
inline constexpr int kTransmitButton = 114;
inline constexpr int kEraseButton = 115;
inline constexpr int kHostIpAddressEdit = 116;
inline constexpr int kConfigFileNameEdit = 117;
inline constexpr int kSerialNumberDisplay = 118;
inline constexpr int kSubnetMaskEdit = 120;
inline constexpr int kDefaultGatewayEdit = 121;
inline constexpr int kMacAddressDisplay = 122;
inline constexpr int kConnectButton = 129;
inline constexpr int kPortList = 130;
inline constexpr int kSpeedList = 131;
inline constexpr int kOkButton = kIdOk;
inline constexpr int kCancelButton = kIdCancel;
}  // namespace setup_dialog

// Template 104, "ZELVO9 Update/Setup": every control with its text, ID, place and size, in tab
// order, with the port and speed lists' init entries.
const DialogTemplate& SetupDialogTemplate();

}  // namespace zelvo::platform::ui
