// ReadJedecFile on any file, against an independent reading of the JEDEC rules, watching what
// the user is shown and the wait cursor.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_file.h"
#include "logic/fuse_map.h"
#include "logic/jedec_reader.h"
#include "platform/recording_feedback.h"

namespace zelvo::fuzz {
namespace {

constexpr const char* kReadingText = "Logic: Reading JEDEC File ...";
constexpr const char* kCannotOpen = "Logic: Cannot open JEDEC file!";
constexpr const char* kNoHeader = "Logic: Illegal JEDEC file format!";
constexpr const char* kBadRow = "Illegal JEDEC file format!";

struct Expected {
  bool ok = false;
  std::string message;  // empty on success
  std::vector<std::string> rows = std::vector<std::string>(kFuseRowCount);
};

// The file as text mode reads it: it ends at a byte 0x1A, and a carriage return directly before
// a line feed is dropped.
std::string TextModeContent(std::string_view bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  return text;
}

Expected Reference(std::string_view bytes) {
  std::string text = TextModeContent(bytes);
  size_t at = 0;
  // One read: up to and including the next line feed, at most 80 characters; empty at the end.
  auto read = [&]() {
    size_t start = at;
    while (at < text.size() && at - start < kJedecReadChars) {
      if (text[at++] == '\n') break;
    }
    return text.substr(start, at - start);
  };
  Expected out;
  for (;;) {
    std::string piece = read();
    if (piece.empty()) {
      out.message = kNoHeader;
      return out;
    }
    if (piece == "*L00000\n") break;
  }
  for (std::string& row : out.rows) {
    for (int r = 0; r < 4; ++r) {
      std::string piece = read();
      size_t run = 0;
      while (run < piece.size() && (piece[run] == '0' || piece[run] == '1')) ++run;
      row += piece.substr(0, run);
    }
    if (row.size() != kFuseRowLength) {
      out.message = kBadRow;
      return out;
    }
  }
  out.ok = true;
  return out;
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  using Kind = platform::RecordingFeedback::Kind;
  static fuzz::ScratchFile file("jedec");
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  file.Write(bytes);

  FuseMap map;
  for (std::string& row : map.rows) row = "left over from before";
  platform::RecordingFeedback feedback;
  bool ok = ReadJedecFile(file.path(), map, feedback);
  fuzz::Expected expected = fuzz::Reference(bytes);

  ZELVO_FUZZ_CHECK(ok == expected.ok);
  for (int i = 0; i < kFuseRowCount; ++i) ZELVO_FUZZ_CHECK(map.rows[i] == expected.rows[i]);
  if (ok) {
    for (const std::string& row : map.rows) {
      ZELVO_FUZZ_CHECK(row.size() == kFuseRowLength);
      ZELVO_FUZZ_CHECK(row.find_first_not_of("01") == std::string::npos);
    }
  }

  // What the user saw: the status text first and last, one message on failure (the row message
  // under the reader's own wait-cursor level, the header message before it), none on success.
  const auto& events = feedback.events();
  ZELVO_FUZZ_CHECK(!events.empty() && events.front().kind == Kind::kStatus &&
                   events.front().text == fuzz::kReadingText);
  ZELVO_FUZZ_CHECK(feedback.status() == fuzz::kReadingText);
  ZELVO_FUZZ_CHECK(feedback.cursor_level() == 0);
  std::vector<std::string> messages = feedback.MessageTexts();
  if (ok) {
    ZELVO_FUZZ_CHECK(messages.empty());
  } else {
    ZELVO_FUZZ_CHECK(messages.size() == 1 && messages[0] == expected.message);
    ZELVO_FUZZ_CHECK(messages[0] != fuzz::kCannotOpen);
    for (const auto& event : events) {
      if (event.kind != Kind::kMessage) continue;
      ZELVO_FUZZ_CHECK(event.cursor_level == (expected.message == fuzz::kBadRow ? 1 : 0));
      ZELVO_FUZZ_CHECK(event.caption == platform::kApplicationTitle);
    }
  }
  return 0;
}
