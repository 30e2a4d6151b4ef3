#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace zelvo {

// The documents used last, newest first, as the File menu lists them and the profile keeps them
// (section "Recent File List", keys "File1" to "File4").
class RecentFileList {
 public:
  static constexpr size_t kDefaultSize = 4;
  // How many characters of a path the menu shows.
  static constexpr size_t kDisplayChars = 30;

  explicit RecentFileList(size_t size = kDefaultSize) : size_(size) {}

  // Puts `path` first; an entry for the same path moves up, and the oldest falls off the end.
  void Add(const std::string& path);
  // Removes the entry for `path`; false when there is none.
  bool Remove(const std::string& path);
  const std::vector<std::string>& files() const { return files_; }
  size_t size() const { return size_; }

  // Reads "File1".."FileN": empty and repeated entries are skipped, the order is kept.
  void ReadList(const platform::ProfileFile& profile);
  // Writes the entries as "File1".. and removes the keys of the places left empty.
  void WriteList(platform::ProfileFile& profile) const;

  // The text of the menu item for the entry `index` (0 first): "&1 " and the path, shortened to
  // `max_chars` by replacing the directories in the middle with "...": the first directory and
  // the file name stay ("/home/.../projects/box.gdb"), and a name too long for that is shown
  // alone. An '&' in the path is doubled so the menu shows it.
  static std::string MenuLabel(size_t index, const std::string& path,
                               size_t max_chars = kDisplayChars);
  static std::string AbbreviatePath(const std::string& path, size_t max_chars);

 private:
  size_t size_;
  std::vector<std::string> files_;
};

}  // namespace zelvo
