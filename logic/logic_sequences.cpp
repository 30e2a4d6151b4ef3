#include "logic/logic_sequences.h"

#include "firmware/update_files.h"
#include "loader/device_identity.h"
#include "logic/fuse_map.h"
#include "logic/jedec_reader.h"
#include "logic/logic_steps.h"

namespace zelvo {

std::string LogicUesText(uint16_t logicVersion) {
  return "B6001E>" + FormatVersionDigits(logicVersion);
}

std::string LogicFileStem(const std::string& serialNumber) {
  return serialNumber.size() == 10 && serialNumber[9] == 'C' ? kLogicStemAlt : kLogicStem;
}

bool LogicUpdateSequence(uint16_t newestVersion, const std::string& serialNumber,
                         platform::DialogFeedback& feedback) {
  const std::string uesText = LogicUesText(newestVersion);
  const std::string path = UpdateFilePath(LogicFileStem(serialNumber), newestVersion);
  return LogicUpdateFromFile(path, uesText, feedback);
}

bool LogicUpdateFromFile(const std::string& path, const std::string& uesText,
                         platform::DialogFeedback& feedback) {
  bool passed = false;
  try {
    FuseMap fuseMap;
    passed = ReadJedecFile(path, fuseMap, feedback) && LogicAccessOn(feedback) &&
             LogicCheckDevice(feedback) && LogicErase(feedback) &&
             LogicProgram(fuseMap, uesText, feedback) && LogicVerify(fuseMap, uesText, feedback);
  } catch (...) {
    LogicAccessOff(feedback);
    throw;
  }
  LogicAccessOff(feedback);
  return passed;
}

bool LogicEraseSequence(platform::DialogFeedback& feedback) {
  const bool passed = LogicAccessOn(feedback) && LogicCheckDevice(feedback) && LogicErase(feedback);
  LogicAccessOff(feedback);
  return passed;
}

}  // namespace zelvo
