#include "sim/box_versions.h"

namespace zelvo::sim {

uint16_t FirmwareRawVersion(const FlashMemory& flash) {
  for (uint32_t i = 0; i < 4; ++i) {
    if (flash.At(kFirmwareMarkerAddress + i) != kFirmwareMarker[i]) return 0;
  }
  return static_cast<uint16_t>((flash.At(kFirmwareVersionAddress) << 8) |
                               flash.At(kFirmwareVersionAddress + 1));
}

uint16_t LogicRawVersion(const LogicDevice& logic) {
  std::string text = SignatureText(logic.signature());
  size_t digits_at = kLogicSignaturePrefix.size();
  if (text.size() < digits_at + 3 || text.compare(0, digits_at, kLogicSignaturePrefix) != 0) {
    return 0;
  }
  uint16_t version = 0;
  for (size_t i = digits_at; i < digits_at + 3; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    version = static_cast<uint16_t>(version * 10 + (text[i] - '0'));
  }
  return static_cast<uint16_t>(kLogicVersionBase + version);
}

std::string SignatureText(std::string_view fuses) {
  if (fuses.size() % 8 != 0) return {};
  std::string text;
  for (size_t at = 0; at < fuses.size(); at += 8) {
    unsigned code = 0;
    for (size_t bit = 0; bit < 8; ++bit) {
      char fuse = fuses[at + bit];
      if (fuse != '0' && fuse != '1') return {};
      code = (code << 1) | (fuse == '1' ? 1u : 0u);
    }
    text.push_back(static_cast<char>(code));
  }
  return text;
}

std::string SignatureFuses(std::string_view text) {
  std::string fuses;
  fuses.reserve(LogicDevice::kSignatureLength);
  for (size_t k = 0; k < LogicDevice::kSignatureLength / 8; ++k) {
    unsigned code = k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
    for (int bit = 7; bit >= 0; --bit) fuses.push_back((code >> bit) & 1u ? '1' : '0');
  }
  return fuses;
}

}  // namespace zelvo::sim
