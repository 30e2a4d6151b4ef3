#pragma once

#include <cstdint>
#include <string>

#include "logic/fuse_map.h"
#include "platform/dialog_feedback.h"

namespace zelvo {

// The device type that the box's logic device (a Lattice ispLSI part) reports.
inline constexpr uint8_t kLogicDeviceType = 19;

// The logic steps of the Update/Setup dialog. Each talks to the box through the loader's logic
// commands under a wait-cursor level of its own, and returns true on success. On failure it has
// ended its level and shown its message box (at the caller's level) before it returns false:
// "Communication with ZELVO failed!" for any failed loader command, or the step's own message.
// No step keeps state between calls.

// SetLogicAccess(on).
bool LogicAccessOn(platform::DialogFeedback& feedback);
// SetLogicAccess(off).
bool LogicAccessOff(platform::DialogFeedback& feedback);
// ReadLogicDeviceId; any type but 19 gives "Logic: Unknown ispLSI device type!".
bool LogicCheckDevice(platform::DialogFeedback& feedback);
// "Logic: Erasing ...", then EraseLogic.
bool LogicErase(platform::DialogFeedback& feedback);
// "Logic: Programming ...", then ProgramFuseRow for rows 0 to 133, each followed by the status
// "Logic: Programming ... ( P% )", then WriteUes of UesBitString(uesText). Stops at the first
// failed command: no later row is sent and the signature is not written.
bool LogicProgram(const FuseMap& fuseMap, const std::string& uesText,
                  platform::DialogFeedback& feedback);
// "Logic: Verifying ...", then ReadFuseRow for rows 0 to 133, each followed by the status
// "Logic: Verifying ... ( P% )"; both images of each row must equal the map's row (the
// programmed-verification image is examined first). Then ReadUes, which must give
// UesBitString(uesText).
bool LogicVerify(const FuseMap& fuseMap, const std::string& uesText,
                 platform::DialogFeedback& feedback);

// The whole percentage shown for row `row` (0-based): 100 * row / 134, rounded down. Runs from 0
// for row 0 to 99 for row 133.
unsigned RowProgress(int row);

}  // namespace zelvo
