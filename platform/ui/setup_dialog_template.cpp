#include "platform/ui/setup_dialog_template.h"

#include <string>
#include <utility>
#include <vector>

namespace zelvo::platform::ui {
namespace {

namespace ids = setup_dialog;

constexpr int kNone = kNoControlId;
constexpr TextAlign kLeft = TextAlign::kLeft;
constexpr TextAlign kCenter = TextAlign::kCenter;
constexpr TextAlign kRight = TextAlign::kRight;

ControlTemplate Group(const char* text, DialogUnits rect) {
  return {kNone, ControlKind::kGroupBox, text, rect, kLeft, false, {}};
}

ControlTemplate Label(int id, TextAlign align, const char* text, DialogUnits rect) {
  return {id, ControlKind::kStatic, text, rect, align, false, {}};
}

ControlTemplate Button(int id, const char* text, DialogUnits rect) {
  return {id, ControlKind::kPushButton, text, rect, kLeft, true, {}};
}

ControlTemplate DefaultButton(int id, const char* text, DialogUnits rect) {
  return {id, ControlKind::kDefaultPushButton, text, rect, kLeft, true, {}};
}

ControlTemplate Edit(int id, DialogUnits rect) {
  return {id, ControlKind::kEditBox, "", rect, kLeft, true, {}};
}

ControlTemplate List(int id, DialogUnits rect, std::vector<std::string> entries) {
  return {id, ControlKind::kDropDownList, "", rect, kLeft, true, std::move(entries)};
}

// "COM1" to "COM19": entry i names port index i.
std::vector<std::string> PortEntries() {
  std::vector<std::string> entries;
  for (int n = 1; n <= 19; ++n) entries.push_back("COM" + std::to_string(n));
  return entries;
}

// The five link speeds: entry i is speed index i.
std::vector<std::string> SpeedEntries() {
  return {"9600", "19200", "38400", "57600", "115200"};
}

DialogTemplate BuildSetupDialogTemplate() {
  DialogTemplate t;
  t.resource_id = ids::kTemplateId;
  t.title = "ZELVO9 Update/Setup";
  t.font_face = "MS Sans Serif";
  t.font_points = 8;
  t.rect = {30, 35, 219, 301};
  t.system_menu = false;
  t.status_line_id = ids::kStatusLine;
  t.controls = {
      Group("Connect ZELVO9 Loader", {5, 5, 205, 75}),
      Group("Channel", {10, 15, 110, 60}),
      Label(kNone, kRight, "SN:", {135, 20, 13, 8}),
      Label(ids::kSerialNumberDisplay, kCenter, "unknown", {150, 20, 55, 8}),
      Button(ids::kConnectButton, "&Connect", {155, 60, 50, 14}),
      Group("ZELVO9 Firmware / Logic", {5, 85, 205, 60}),
      Label(kNone, kCenter, "Current", {65, 95, 35, 8}),
      Label(kNone, kCenter, "Newest", {110, 95, 35, 8}),
      Label(kNone, kLeft, "Loader", {10, 110, 45, 8}),
      Label(ids::kLoaderCurrentDisplay, kCenter, "unknown", {65, 110, 35, 8}),
      Label(kNone, kLeft, "Firmware", {10, 120, 45, 8}),
      Label(ids::kFirmwareCurrentDisplay, kCenter, "unknown", {65, 120, 35, 8}),
      Label(ids::kFirmwareNewestDisplay, kCenter, "unknown", {110, 120, 35, 8}),
      Button(ids::kCurrentButton, "Current", {155, 94, 50, 14}),
      Label(kNone, kLeft, "Logic", {10, 130, 45, 8}),
      Label(ids::kLogicCurrentDisplay, kCenter, "unknown", {65, 130, 35, 8}),
      Label(ids::kLogicNewestDisplay, kCenter, "unknown", {110, 130, 35, 8}),
      Button(ids::kUpdateButton, "Update", {155, 126, 50, 14}),
      Group("Configuration", {5, 150, 205, 130}),
      Label(kNone, kLeft, "ZELVO IP Address", {10, 167, 90, 10}),
      Edit(ids::kBoxIpAddressEdit, {115, 165, 90, 13}),
      Label(kNone, kLeft, "Subnet Mask", {10, 182, 90, 10}),
      Edit(ids::kSubnetMaskEdit, {115, 180, 90, 13}),
      Label(kNone, kLeft, "Default Gateway", {10, 197, 90, 10}),
      Edit(ids::kDefaultGatewayEdit, {115, 195, 90, 13}),
      Label(kNone, kLeft, "Config - Host IP Address", {10, 212, 90, 10}),
      Edit(ids::kHostIpAddressEdit, {115, 210, 90, 13}),
      Label(kNone, kLeft, "Configuration file ", {10, 230, 65, 10}),
      Edit(ids::kConfigFileNameEdit, {10, 240, 195, 13}),
      Button(ids::kTransmitButton, "&Transmit", {135, 260, 70, 14}),
      DefaultButton(ids::kOkButton, "Ok", {70, 260, 50, 14}),
      Button(ids::kCancelButton, "Cancel", {10, 260, 50, 14}),
      Label(ids::kStatusLine, kCenter, "Loading firmware, please wait", {5, 285, 205, 8}),
      Label(kNone, kRight, "MAC:", {130, 35, 18, 8}),
      Label(ids::kMacAddressDisplay, kCenter, "unknown", {150, 35, 55, 8}),
      List(ids::kPortList, {60, 30, 50, 45}, PortEntries()),
      Label(kNone, kLeft, "Port", {20, 32, 30, 8}),
      List(ids::kSpeedList, {60, 50, 50, 40}, SpeedEntries()),
      Label(kNone, kLeft, "Speed", {20, 52, 30, 8}),
      Button(ids::kEraseButton, "Erase", {155, 110, 50, 14}),
  };
  return t;
}

}  // namespace

const DialogTemplate& SetupDialogTemplate() {
  static const DialogTemplate kTemplate = BuildSetupDialogTemplate();
  return kTemplate;
}

}  // namespace zelvo::platform::ui
