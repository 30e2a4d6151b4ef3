#pragma once

#include <string>
#include <vector>

namespace zelvo::platform {

// Whether `name` matches `pattern`: each '?' in the pattern stands for exactly one character,
// every other character for itself, compared exactly (letter case counts, as the file system
// it is used on does). There are no other wildcards.
bool MatchesNamePattern(const std::string& name, const std::string& pattern);

// The names (without directory) of the entries of a directory that match a pattern, for a
// search path such as "/opt/zelvo/ZV9SWDGD.???": everything up to the last '/' names the
// directory (none: the current directory), the rest is the name pattern, where '?' is the only
// wildcard. Every kind of entry counts, directories included ("." and ".." as well, should the
// pattern match them). The order is the directory's own. A directory that cannot be read gives
// no names.
std::vector<std::string> FindMatchingEntries(const std::string& searchPath);

}  // namespace zelvo::platform
