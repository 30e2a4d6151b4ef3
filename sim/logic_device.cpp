#include "sim/logic_device.h"

#include <algorithm>

namespace zelvo::sim {
namespace {

// A fuse stays '1' only while both the stored and the new fuse are '1'.
void ProgramFuses(std::string& stored, std::string_view fuses) {
  for (size_t i = 0; i < stored.size(); ++i) {
    if (fuses[i] == '0') stored[i] = '0';
  }
}

}  // namespace

LogicDevice::LogicDevice() {
  Erase();
}

bool LogicDevice::IsFuseText(std::string_view text, size_t length) {
  return text.size() == length &&
         std::all_of(text.begin(), text.end(), [](char c) { return c == '0' || c == '1'; });
}

void LogicDevice::Erase() {
  for (std::string& row : rows_) row.assign(kRowLength, '1');
  signature_.assign(kSignatureLength, '1');
}

bool LogicDevice::ProgramRow(int row, std::string_view fuses) {
  if (row < 0 || row >= kRows || !IsFuseText(fuses, kRowLength)) return false;
  ProgramFuses(rows_[row], fuses);
  return true;
}

bool LogicDevice::WriteSignature(std::string_view fuses) {
  if (!IsFuseText(fuses, kSignatureLength)) return false;
  ProgramFuses(signature_, fuses);
  return true;
}

bool LogicDevice::RestoreRow(int row, std::string_view fuses) {
  if (row < 0 || row >= kRows || !IsFuseText(fuses, kRowLength)) return false;
  rows_[row].assign(fuses);
  return true;
}

bool LogicDevice::RestoreSignature(std::string_view fuses) {
  if (!IsFuseText(fuses, kSignatureLength)) return false;
  signature_.assign(fuses);
  return true;
}

}  // namespace zelvo::sim
