#pragma once

#include <string>
#include <vector>

#include "logic/fuse_map.h"

namespace zelvo::testing {

// A fuse map of 134 full rows of '0' and '1', different from each other (the same every time).
FuseMap PatternFuseMap();

// Rows `from` to 133 of `map` as lines of `lineLength` fuse characters, each with its line feed.
std::string RowLines(const FuseMap& map, int from, size_t lineLength = 60);

// The text of a JEDEC file: a few fields before the header, the header "*L00000", the rows as
// four lines of 60 fuse characters each (`lineLength` 240: one line per row), and a checksum
// field and the end character after them.
std::string JedecText(const FuseMap& map, size_t lineLength = 60,
                      const std::string& header = "*L00000\n");

// A file in a directory of its own under the test's temporary directory, removed with it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes `content` byte for byte to `name` and returns its full path.
  std::string Write(const std::string& name, const std::string& content) const;
  std::string PathOf(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zelvo::testing
