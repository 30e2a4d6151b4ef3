#pragma once

#include <cstddef>
#include <string>

namespace zelvo::platform::ui {

// What an edit box with a character limit keeps of one edit by the user, from the text `before`
// to the text `after` (one replaced stretch: typing, pasting, deleting). An edit that leaves at
// most `max_chars` characters, or no more than before, is kept whole; otherwise the inserted
// characters are cut so that the text reaches the limit and no further (none inserted when the
// rest is already at or over it). A `max_chars` of 0 means no limit.
std::string ApplyTypingLimit(const std::string& before, const std::string& after, size_t max_chars);

}  // namespace zelvo::platform::ui
