#pragma once

#include <string>
#include <string_view>

namespace zelvo::platform {

// Replaces the file at `path` with `contents` so that the old file stays whole until the new
// one is complete: the bytes go into a temporary file in the same directory, which is flushed to
// the disk (fsync) and then renamed over the target. A symbolic link is followed, so the file it
// names is replaced and the link stays. The new file keeps the old one's permission bits, or gets
// the usual ones (0666 less the umask) when it is new.
//
// Returns an empty text on success, else the reason in the system's words (for example
// "Permission denied"); on failure the temporary file is removed and the target is untouched.
// An existing target that is not writable (a read-only file) or not a regular file is refused.
std::string WriteFileAtomically(const std::string& path, std::string_view contents);

// Creates `directory` and any missing parents. Empty text on success, else the reason.
std::string MakeDirectories(const std::string& directory);

}  // namespace zelvo::platform
