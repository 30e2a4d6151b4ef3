#include "app/shell/recent_file_list.h"

#include <algorithm>

namespace zelvo {
namespace {

std::string KeyFor(size_t index) {
  return "File" + std::to_string(index + 1);
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    parts.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

}  // namespace

void RecentFileList::Add(const std::string& path) {
  if (path.empty() || size_ == 0) return;
  files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
  files_.insert(files_.begin(), path);
  if (files_.size() > size_) files_.resize(size_);
}

bool RecentFileList::Remove(const std::string& path) {
  auto it = std::find(files_.begin(), files_.end(), path);
  if (it == files_.end()) return false;
  files_.erase(it);
  return true;
}

void RecentFileList::ReadList(const platform::ProfileFile& profile) {
  files_.clear();
  for (size_t i = 0; i < size_; ++i) {
    const std::string path = profile.GetString(platform::kRecentFileListSection, KeyFor(i));
    if (path.empty() || std::find(files_.begin(), files_.end(), path) != files_.end()) continue;
    files_.push_back(path);
  }
}

void RecentFileList::WriteList(platform::ProfileFile& profile) const {
  for (size_t i = 0; i < size_; ++i) {
    if (i < files_.size()) {
      profile.WriteString(platform::kRecentFileListSection, KeyFor(i), files_[i]);
    } else {
      profile.DeleteKey(platform::kRecentFileListSection, KeyFor(i));
    }
  }
}

std::string RecentFileList::AbbreviatePath(const std::string& path, size_t max_chars) {
  if (path.size() <= max_chars) return path;
  const std::vector<std::string> parts = SplitPath(path);
  const std::string& name = parts.back();
  if (parts.size() < 3) return name;
  // The head: the root and the first directory ("/home"), or the first directory of a
  // relative path.
  const bool absolute = parts.front().empty();
  const size_t head_parts = absolute ? 2 : 1;
  if (parts.size() <= head_parts + 1) return name;
  std::string head;
  for (size_t i = 0; i < head_parts; ++i) head += parts[i] + "/";
  // As many directories just above the name as fit.
  std::string tail = name;
  for (size_t i = parts.size() - 1; i-- > head_parts;) {
    const std::string longer = parts[i] + "/" + tail;
    if (head.size() + 4 + longer.size() > max_chars) break;
    tail = longer;
  }
  const std::string shortened = head + ".../" + tail;
  if (shortened.size() > max_chars) return name;
  return shortened;
}

std::string RecentFileList::MenuLabel(size_t index, const std::string& path, size_t max_chars) {
  std::string label = "&" + std::to_string(index + 1) + " ";
  for (char c : AbbreviatePath(path, max_chars)) {
    label += c;
    if (c == '&') label += '&';
  }
  return label;
}

}  // namespace zelvo
