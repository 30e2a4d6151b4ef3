#include "platform/profile_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/atomic_file.h"

namespace zelvo::platform {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool ValidSectionName(std::string_view name) {
  return !name.empty() && Trim(name) == name && name.find(']') == std::string_view::npos &&
         !HasLineBreak(name);
}

bool ValidKey(std::string_view key) {
  return !key.empty() && Trim(key) == key && key.find('=') == std::string_view::npos &&
         key.front() != ';' && key.front() != '[' && !HasLineBreak(key);
}

// A value whose blanks at either end would be lost, or that is itself quoted, goes into quotes.
std::string QuoteValue(std::string_view value) {
  bool quote =
      Trim(value) != value || (value.size() >= 2 && value.front() == '"' && value.back() == '"');
  std::string text;
  if (quote) text.push_back('"');
  text.append(value);
  if (quote) text.push_back('"');
  return text;
}

std::string UnquoteValue(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return {};
}

}  // namespace

void ProfileFile::Parse(const std::string& content) {
  sections_.clear();
  sections_.push_back(Section{"", false, "", {}});
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view raw(content.data() + start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        sections_.push_back(
            Section{std::string(Trim(line.substr(1, close - 1))), true, std::string(raw), {}});
        continue;
      }
    }
    Line entry;
    entry.text = std::string(raw);
    size_t equals = line.find('=');
    if (!line.empty() && line.front() != ';' && equals != std::string_view::npos &&
        !Trim(line.substr(0, equals)).empty()) {
      entry.is_entry = true;
      entry.key = std::string(Trim(line.substr(0, equals)));
      entry.value = UnquoteValue(line.substr(equals + 1));
    }  // else a blank line, a comment or a garbled line: kept as it is
    sections_.back().lines.push_back(std::move(entry));
  }
}

std::string ProfileFile::Render() const {
  std::string content;
  for (const Section& section : sections_) {
    if (section.has_header) {
      content += section.header.empty() ? "[" + section.name + "]" : section.header;
      content += "\n";
    }
    for (const Line& line : section.lines) {
      if (line.is_entry && line.text.empty()) {
        content += line.key + "=" + QuoteValue(line.value) + "\n";
      } else {
        content += line.text + "\n";
      }
    }
  }
  return content;
}

bool ProfileFile::Load() {
  sections_.clear();
  error_.clear();
  std::FILE* file = std::fopen(path_.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return true;
    error_ = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    error_ = "not a regular file";
    return false;
  }
  std::string content;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  bool failed = std::ferror(file) != 0;
  int error = errno;
  std::fclose(file);
  if (failed) {
    error_ = std::strerror(error);
    return false;
  }
  Parse(content);
  return true;
}

bool ProfileFile::Save() {
  error_.clear();
  size_t slash = path_.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    error_ = MakeDirectories(path_.substr(0, slash));
    if (!error_.empty()) return false;
  }
  error_ = WriteFileAtomically(path_, Render());
  return error_.empty();
}

const ProfileFile::Line* ProfileFile::FindLine(std::string_view section,
                                               std::string_view key) const {
  for (const Section& candidate : sections_) {
    if (!candidate.has_header || !SameName(candidate.name, section)) continue;
    for (const Line& line : candidate.lines) {
      if (line.is_entry && SameName(line.key, key)) return &line;
    }
    return nullptr;  // the first section of that name is the one that counts
  }
  return nullptr;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  if (const Line* line = FindLine(section, key)) return line->value;
  return std::nullopt;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
  if (const Line* line = FindLine(section, key)) return line->value;
  return std::string(fallback);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  const Line* line = FindLine(section, key);
  if (line == nullptr) return fallback;
  std::string_view text = line->value;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return fallback;
  return value;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  if (!ValidSectionName(section) || !ValidKey(key) || HasLineBreak(value)) return false;
  Section* target = nullptr;
  for (Section& candidate : sections_) {
    if (candidate.has_header && SameName(candidate.name, section)) {
      target = &candidate;
      break;
    }
  }
  if (target == nullptr) {
    sections_.push_back(Section{std::string(section), true, "", {}});
    target = &sections_.back();
  }
  for (Line& line : target->lines) {
    if (line.is_entry && SameName(line.key, key)) {
      line.value = std::string(value);
      line.text.clear();  // written anew on saving
      return true;
    }
  }
  // New keys go after the section's last entry, before the blank lines that separate it from
  // the next section.
  auto position = target->lines.end();
  while (position != target->lines.begin() && !(position - 1)->is_entry &&
         Trim((position - 1)->text).empty()) {
    --position;
  }
  Line entry;
  entry.is_entry = true;
  entry.key = std::string(key);
  entry.value = std::string(value);
  target->lines.insert(position, std::move(entry));
  return true;
}

bool ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  for (Section& candidate : sections_) {
    if (!candidate.has_header || !SameName(candidate.name, section)) continue;
    for (auto line = candidate.lines.begin(); line != candidate.lines.end(); ++line) {
      if (line->is_entry && SameName(line->key, key)) {
        candidate.lines.erase(line);
        return true;
      }
    }
    return false;
  }
  return false;
}

std::string DefaultProfilePath(std::string_view executable_name) {
  std::string directory;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    directory = config;
  } else if (std::string home = HomeDirectory(); !home.empty()) {
    directory = home + "/.config";
  } else {
    directory = ".config";
  }
  size_t slash = executable_name.find_last_of('/');
  if (slash != std::string_view::npos) executable_name.remove_prefix(slash + 1);
  if (executable_name.empty()) executable_name = "zelvogdb";
  return directory + "/zelvogdb/" + std::string(executable_name) + ".INI";
}

std::string DefaultProfilePath() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return DefaultProfilePath("zelvogdb");
  return DefaultProfilePath(std::string_view(path, static_cast<size_t>(length)));
}

}  // namespace zelvo::platform
