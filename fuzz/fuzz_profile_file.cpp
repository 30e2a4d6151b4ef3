// The profile file reader on any file. Every input must load; whatever the file held, a value
// written through WriteString comes back after Save and Load, the entries that were there keep
// their values, and saving what was loaded is stable.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/scratch_file.h"
#include "platform/profile_file.h"

namespace zelvo::fuzz {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The text up to the next zero byte (or the end), which is consumed.
std::string Field(FuzzInput& input) {
  std::string text;
  while (input.Left() > 0) {
    char c = static_cast<char>(input.Byte());
    if (c == '\0') break;
    text.push_back(c);
  }
  return text;
}

// The (section, key) pairs an INI text appears to hold, found the simple way: the last
// "[name]" line before an entry and the text before the entry's first '='. Names with blanks
// or line breaks are left out; the lookups then merely find nothing, or find what the reader
// found.
struct Probe {
  std::string section;
  std::string key;
};

std::vector<Probe> Probes(std::string_view text) {
  std::vector<Probe> probes;
  std::string section;
  size_t start = 0;
  while (start < text.size() && probes.size() < 64) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() >= 2 && line.front() == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) section = std::string(line.substr(1, close - 1));
      continue;
    }
    size_t equals = line.find('=');
    if (equals != std::string_view::npos && equals > 0) {
      probes.push_back({section, std::string(line.substr(0, equals))});
    }
  }
  return probes;
}

// Whether a line of `text` ends in two carriage returns. The reader takes one of them as part of
// the line end and keeps the other in the line, which it writes back before a line feed: the next
// reading then takes that one as a line end too. Such a file settles only after more saves.
bool HasDoubleCarriageReturnLineEnd(std::string_view text) {
  for (size_t at = text.find("\r\r"); at != std::string_view::npos;
       at = text.find("\r\r", at + 1)) {
    if (at + 2 == text.size() || text[at + 2] == '\n') return true;
  }
  return false;
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  static fuzz::ScratchFile original("profile.INI");
  fuzz::FuzzInput input(data, size);
  // The input: a section, a key and a value to write, each ended by a zero byte, then the file.
  std::string section = fuzz::Field(input);
  std::string key = fuzz::Field(input);
  std::string value = fuzz::Field(input);
  std::string content = input.Rest();
  original.Write(content);

  platform::ProfileFile profile(original.path());
  ZELVO_FUZZ_CHECK(profile.Load());
  ZELVO_FUZZ_CHECK(profile.error().empty());

  // What the reader found, before anything is written.
  std::vector<fuzz::Probe> probes = fuzz::Probes(content);
  std::vector<std::optional<std::string>> before;
  for (const fuzz::Probe& p : probes) before.push_back(profile.Find(p.section, p.key));

  bool written = profile.WriteString(section, key, value);
  if (written) ZELVO_FUZZ_CHECK(profile.Find(section, key) == value);
  ZELVO_FUZZ_CHECK(profile.Save());

  platform::ProfileFile reloaded(original.path());
  ZELVO_FUZZ_CHECK(reloaded.Load());
  if (written) ZELVO_FUZZ_CHECK(reloaded.Find(section, key) == value);
  for (size_t i = 0; i < probes.size(); ++i) {
    const fuzz::Probe& p = probes[i];
    std::optional<std::string> now = reloaded.Find(p.section, p.key);
    bool overwritten = written && profile.Find(p.section, p.key) == value &&
                       now == value;  // the pair the write went to (names compare without case)
    if (overwritten) continue;
    // Values with a line break inside are outside the promise: a carriage return at the end of
    // a line is taken as part of the line end when it is read back.
    if (before[i] && before[i]->find('\r') != std::string::npos) continue;
    ZELVO_FUZZ_CHECK(now == before[i]);
  }

  // Saving what was read back changes nothing more: the second save gives the same bytes.
  if (!fuzz::HasDoubleCarriageReturnLineEnd(content)) {
    std::string once = fuzz::ReadAll(original.path());
    ZELVO_FUZZ_CHECK(reloaded.Save());
    ZELVO_FUZZ_CHECK(fuzz::ReadAll(original.path()) == once);
  }
  return 0;
}
