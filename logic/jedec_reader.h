#pragma once

#include <cstddef>
#include <string>

#include "logic/fuse_map.h"
#include "platform/dialog_feedback.h"

namespace zelvo {

// The file is consumed in reads of at most this many characters (a line feed included).
inline constexpr size_t kJedecReadChars = 80;
// The read that ends the header search: exact, case-sensitive, with its line feed.
inline constexpr const char* kJedecHeaderRead = "*L00000\n";

// Reads the logic update file at `path` (JEDEC text) into `fuseMap`, which is first reset to 134
// empty rows. Each row is built from the four reads after the header read (or after the previous
// row); of each read only its leading run of '0'/'1' counts, and the four runs must give exactly
// 240 characters. Nothing after row 133 is read, and no other JEDEC field is interpreted.
//
// Sets the status text "Logic: Reading JEDEC File ..." and leaves it so. On failure shows one of
// "Logic: Cannot open JEDEC file!", "Logic: Illegal JEDEC file format!" (no header read) or
// "Illegal JEDEC file format!" (a bad row; shown under the reader's own wait-cursor level, which
// begins after the header search) and returns false; `fuseMap` then holds the rows read so far.
//
// A read error other than the end of the file (platform::FileException) passes to the caller,
// with the reader's wait-cursor level ended and the file closed.
bool ReadJedecFile(const std::string& path, FuseMap& fuseMap, platform::DialogFeedback& feedback);

// The leading run of '0' and '1' characters of `read`.
std::string LeadingFuseRun(const std::string& read);

}  // namespace zelvo
