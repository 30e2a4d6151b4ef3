#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace zelvo {

inline constexpr int kFuseRowCount = 134;
inline constexpr size_t kFuseRowLength = 240;

// The fuse map of the logic device: row i is the fuse row that the loader's program-row and
// read-row commands address with row number i. Each row is a text of '0' and '1' characters,
// kept as characters because they travel to the box as they are; after a successful read every
// row holds exactly kFuseRowLength of them.
struct FuseMap {
  std::array<std::string, kFuseRowCount> rows;

  // Back to 134 empty rows.
  void Clear() {
    for (std::string& row : rows) row.clear();
  }
};

}  // namespace zelvo
