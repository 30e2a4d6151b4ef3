#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/flash_memory.h"
#include "sim/logic_device.h"

namespace zelvo::sim {

// The box reports the versions of what it holds, read from the contents themselves, so an
// update shows in the identity exactly when it has landed.

// Where a firmware image keeps its marker and version.
inline constexpr uint32_t kFirmwareMarkerAddress = 0x01040000;
inline constexpr uint32_t kFirmwareVersionAddress = 0x01040004;
inline constexpr uint8_t kFirmwareMarker[4] = {0xAA, 0x55, 0x55, 0xAA};

// The logic image's signature: this prefix, then three decimal digits of its version.
inline constexpr std::string_view kLogicSignaturePrefix = "B6001E>";
inline constexpr uint16_t kLogicVersionBase = 14000;

// The big-endian word at 0x01040004 when 0x01040000 holds the marker AA 55 55 AA, else 0. The
// firmware images carry 0x3000 + version there; the update programs the marker last, so an
// interrupted update reports no firmware.
uint16_t FirmwareRawVersion(const FlashMemory& flash);

// 14000 + vvv when the signature decodes to a text that begins "B6001E>" and three digits vvv,
// else 0 (an erased or foreign signature).
uint16_t LogicRawVersion(const LogicDevice& logic);

// The signature's fuses read as text: eight fuses per character, the most significant bit
// first, '1' a set bit. Empty when the fuses are not all '0'/'1' or not a multiple of eight.
std::string SignatureText(std::string_view fuses);

// The 120 fuses that carry `text` (its first 15 characters; missing ones are code 0).
std::string SignatureFuses(std::string_view text);

}  // namespace zelvo::sim
