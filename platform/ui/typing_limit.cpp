#include "platform/ui/typing_limit.h"

#include <algorithm>

namespace zelvo::platform::ui {

std::string ApplyTypingLimit(const std::string& before, const std::string& after,
                             size_t max_chars) {
  if (max_chars == 0 || after.size() <= max_chars || after.size() <= before.size()) return after;
  // The edit replaced before[prefix, before.size() - suffix) by after[prefix, after.size() -
  // suffix): find the common ends, which never overlap.
  const size_t shorter = std::min(before.size(), after.size());
  size_t prefix = 0;
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const size_t kept = prefix + suffix;
  const size_t room = kept < max_chars ? max_chars - kept : 0;
  const size_t inserted = after.size() - prefix - suffix;
  return after.substr(0, prefix) + after.substr(prefix, std::min(inserted, room)) +
         after.substr(after.size() - suffix);
}

}  // namespace zelvo::platform::ui
