#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog_feedback.h"

namespace zelvo {

// The text the logic device is signed with: "B6001E>" and FormatVersionDigits(logicVersion),
// e.g. "B6001E>012" for version 12.
std::string LogicUesText(uint16_t logicVersion);

// The logic file stem for a box: "SWDJED21" when its serial-number text is exactly 10 characters
// long with a tenth character 'C', "SWDJED20" otherwise.
std::string LogicFileStem(const std::string& serialNumber);

// The Update command's logic part: signs with LogicUesText(newestVersion) and reads the file at
// UpdateFilePath(LogicFileStem(serialNumber), newestVersion). `newestVersion` is the newest
// "SWDJED20" version, whichever stem the box needs. See LogicUpdateFromFile.
bool LogicUpdateSequence(uint16_t newestVersion, const std::string& serialNumber,
                         platform::DialogFeedback& feedback);

// ReadJedecFile(path), LogicAccessOn, LogicCheckDevice, LogicErase, LogicProgram and LogicVerify,
// stopping at the first that fails; then LogicAccessOff on every path (also when the file could
// not be read, and before a file read error passes on). True only when all six succeeded; the
// result of LogicAccessOff does not change it. Each failed step has shown its own message box.
bool LogicUpdateFromFile(const std::string& path, const std::string& uesText,
                         platform::DialogFeedback& feedback);

// The Erase command's logic part: LogicAccessOn, LogicCheckDevice and LogicErase, stopping at
// the first that fails; then LogicAccessOff on every path. True only when all three succeeded.
bool LogicEraseSequence(platform::DialogFeedback& feedback);

}  // namespace zelvo
