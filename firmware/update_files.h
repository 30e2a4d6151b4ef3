#pragma once

#include <cstdint>
#include <string>

namespace zelvo {

// File-name stems of the update files.
inline constexpr const char* kFirmwareStem = "ZV9SWDGD";  // Motorola S-record firmware
inline constexpr const char* kLogicStem = "SWDJED20";     // JEDEC logic; the newest is searched
inline constexpr const char* kLogicStemAlt = "SWDJED21";  // JEDEC logic for some boxes

// Update files lie in the program's own directory (platform/exe_dir.h: the executable's
// directory unless overridden) and are named stem + '.' + the version as three digits, e.g.
// ZV9SWDGD.105.
//
// Letter case: the stem is matched exactly. The path of an update is built from the stem as
// given, and on a case-sensitive file system only a file of exactly that name can be opened, so
// a file such as "zv9swdgd.105" is not reported as a version that the update could then not
// find.

// The full path of the update file of `stem` and `version`, or the empty string when the
// version is 0 or above 255 (or the program's directory is unknown). Does not look at the disk.
std::string UpdateFilePath(const std::string& stem, uint16_t version);

// The greatest version among the entries named stem + ".nnn" in the program's directory (every
// kind of entry counts), or 0 when there is none. May return up to 999.
uint16_t NewestUpdateVersion(const std::string& stem);

// The version that a file-name extension with its leading point stands for (".105" -> 105), or 0
// unless the extension is exactly four characters whose last three are decimal digits (the
// first is not examined).
uint16_t VersionFromExtension(const std::string& extension);

}  // namespace zelvo
