#include "logic/jedec_reader.h"

#include "logic/wait_cursor_level.h"
#include "platform/text_file.h"

namespace zelvo {

namespace {

constexpr int kReadsPerRow = 4;

}  // namespace

std::string LeadingFuseRun(const std::string& read) {
  size_t length = 0;
  while (length < read.size() && (read[length] == '0' || read[length] == '1')) ++length;
  return read.substr(0, length);
}

bool ReadJedecFile(const std::string& path, FuseMap& fuseMap, platform::DialogFeedback& feedback) {
  feedback.Status().SetText("Logic: Reading JEDEC File ...");
  fuseMap.Clear();

  platform::TextFile file;
  if (!file.Open(path)) {
    feedback.ShowMessage("Logic: Cannot open JEDEC file!");
    return false;
  }

  std::string read;
  for (;;) {
    if (!file.ReadString(read, kJedecReadChars)) {
      feedback.ShowMessage("Logic: Illegal JEDEC file format!");
      file.Close();
      return false;
    }
    if (read == kJedecHeaderRead) break;
  }

  // Declared after the file, so that on an exception the level ends before the file closes,
  // as on the ordinary paths.
  WaitCursorLevel wait(feedback);
  for (std::string& row : fuseMap.rows) {
    row.clear();
    for (int r = 0; r < kReadsPerRow; ++r) {
      if (file.ReadString(read, kJedecReadChars)) row += LeadingFuseRun(read);
    }
    // A file written over while it was read holds rows of two versions: no fuse map at all.
    bool last_row = &row == &fuseMap.rows.back();
    if (row.size() != kFuseRowLength || (last_row && file.ChangedSinceOpen())) {
      feedback.ShowMessage("Illegal JEDEC file format!");
      file.Close();
      return false;
    }
  }
  file.Close();
  return true;
}

}  // namespace zelvo
