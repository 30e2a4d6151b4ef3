#pragma once

#include <string>

namespace zelvo::platform {

// The directory that the program takes as its own: the one its update files lie in.
//
// Found in this order:
//  1. a directory installed with SetExecutableDirectoryForTesting (tests);
//  2. the environment variable ZELVO_UPDATE_DIR when it is set and not empty (the demo, or a
//     user who keeps the update files elsewhere); a relative value is relative to the current
//     directory;
//  3. the directory of the running executable, from the resolved link /proc/self/exe.
// The result always ends in '/', so a file name can be appended as it stands. It is empty only
// when none of the three gives a directory (no override and /proc/self/exe unreadable); callers
// then have no place to look.
//
// Paths are not limited to a fixed length.
std::string ExecutableDirectory();

// The full path of the running executable (resolved /proc/self/exe), or empty when it cannot be
// read. Not affected by the overrides above.
std::string ExecutablePath();

// Makes ExecutableDirectory return `directory` (with '/' added when missing) until it is called
// again; an empty `directory` removes the override.
void SetExecutableDirectoryForTesting(const std::string& directory);

}  // namespace zelvo::platform
