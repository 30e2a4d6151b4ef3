#include "logic/logic_steps.h"

#include <cstdio>

#include "loader/loader_commands.h"
#include "logic/ues_bit_string.h"
#include "logic/wait_cursor_level.h"

namespace zelvo {

namespace {

constexpr const char* kCommunicationFailed = "Communication with ZELVO failed!";

std::string ProgressText(const char* pattern, int row) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, RowProgress(row));
  return text;
}

// The pattern of the short steps: the command under a level of its own, which ends before any
// message box.
bool RunShortStep(platform::DialogFeedback& feedback, int (*command)()) {
  WaitCursorLevel wait(feedback);
  const int rc = command();
  wait.End();
  if (rc != 0) {
    feedback.ShowMessage(kCommunicationFailed);
    return false;
  }
  return true;
}

int AccessOn() {
  return SetLogicAccess(true);
}
int AccessOff() {
  return SetLogicAccess(false);
}

}  // namespace

unsigned RowProgress(int row) {
  if (row <= 0) return 0;
  return static_cast<unsigned>(100 * row / kFuseRowCount);
}

bool LogicAccessOn(platform::DialogFeedback& feedback) {
  return RunShortStep(feedback, AccessOn);
}

bool LogicAccessOff(platform::DialogFeedback& feedback) {
  return RunShortStep(feedback, AccessOff);
}

bool LogicCheckDevice(platform::DialogFeedback& feedback) {
  WaitCursorLevel wait(feedback);
  uint8_t deviceType = 0;
  const int rc = ReadLogicDeviceId(deviceType);
  wait.End();
  if (rc != 0) {
    feedback.ShowMessage(kCommunicationFailed);
    return false;
  }
  if (deviceType != kLogicDeviceType) {
    feedback.ShowMessage("Logic: Unknown ispLSI device type!");
    return false;
  }
  return true;
}

bool LogicErase(platform::DialogFeedback& feedback) {
  feedback.Status().SetText("Logic: Erasing ...");
  return RunShortStep(feedback, EraseLogic);
}

bool LogicProgram(const FuseMap& fuseMap, const std::string& uesText,
                  platform::DialogFeedback& feedback) {
  feedback.Status().SetText("Logic: Programming ...");
  WaitCursorLevel wait(feedback);
  for (int row = 0; row < kFuseRowCount; ++row) {
    const int rc = ProgramFuseRow(static_cast<uint8_t>(row), fuseMap.rows[row]);
    feedback.Status().SetText(ProgressText("Logic: Programming ... ( %u%% )", row));
    if (rc != 0) {
      wait.End();
      feedback.ShowMessage(kCommunicationFailed);
      return false;
    }
  }
  if (WriteUes(UesBitString(uesText)) != 0) {
    wait.End();
    feedback.ShowMessage(kCommunicationFailed);
    return false;
  }
  return true;
}

bool LogicVerify(const FuseMap& fuseMap, const std::string& uesText,
                 platform::DialogFeedback& feedback) {
  feedback.Status().SetText("Logic: Verifying ...");
  WaitCursorLevel wait(feedback);
  std::string programmedImage;
  std::string erasedImage;
  for (int row = 0; row < kFuseRowCount; ++row) {
    const int rc = ReadFuseRow(static_cast<uint8_t>(row), programmedImage, erasedImage);
    feedback.Status().SetText(ProgressText("Logic: Verifying ... ( %u%% )", row));
    const char* failure = nullptr;
    if (rc != 0) {
      failure = kCommunicationFailed;
    } else if (programmedImage != fuseMap.rows[row]) {
      failure = "Logic: Fuse map programmed verification failed!";
    } else if (erasedImage != fuseMap.rows[row]) {
      failure = "Logic: Fuse map erased verification failed!";
    }
    if (failure != nullptr) {
      wait.End();
      feedback.ShowMessage(failure);
      return false;
    }
  }
  std::string ues;
  const int rc = ReadUes(ues);
  const char* failure = nullptr;
  if (rc != 0) {
    failure = kCommunicationFailed;
  } else if (ues != UesBitString(uesText)) {
    failure = "Logic: UES verify failed!";
  }
  wait.End();
  if (failure != nullptr) {
    feedback.ShowMessage(failure);
    return false;
  }
  return true;
}

}  // namespace zelvo
