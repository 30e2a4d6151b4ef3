#pragma once

#include <cstdint>

#include "loader/device_identity.h"
#include "logic/ues_bit_string.h"
#include "sim/box.h"

namespace zelvo::testing {

// Makes the box hold a firmware of `firmware` (marker and version word) and a logic device
// signed for `logic`; 0 leaves that part erased.
inline void GiveBoxVersions(sim::Box& box, uint16_t firmware, uint16_t logic) {
  if (firmware != 0) {
    const uint8_t marker[] = {0xAA, 0x55, 0x55, 0xAA};
    const uint8_t word[] = {0x30, static_cast<uint8_t>(firmware)};
    box.flash().Store(0x01040000, marker, sizeof marker);
    box.flash().Store(0x01040004, word, sizeof word);
  }
  if (logic != 0)
    box.logic().RestoreSignature(UesBitString("B6001E>" + FormatVersionDigits(logic)));
}

}  // namespace zelvo::testing
