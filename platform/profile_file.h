#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvo::platform {

// The sections the application keeps in its profile.
inline constexpr std::string_view kRecentFileListSection = "Recent File List";  // File1..File4
inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kWindowPosSection = "WindowPos";  // leftPos..bottomPos
inline constexpr std::string_view kPortsSection = "Ports";          // COM1..COM19: device path

// The application's private profile file, an INI text file:
//
//   [Recent File List]
//   File1=/home/me/box.gdb
//
// - A "[name]" line starts a section; the name is what lies between the brackets, blanks
//   around it dropped, blanks inside kept ("[Recent File List]").
// - A "key=value" line is an entry; blanks around the key and the value are dropped. A value
//   written with blanks at either end is stored in double quotes, and a value read in double
//   quotes loses them, so every value (that holds no line break) comes back as it was written.
// - Section and key names compare without regard to ASCII case; the first of two equal ones wins.
// - Blank lines, ";" comments and lines that are none of the above (a garbled line) are ignored
//   when reading but kept as they are when the file is saved, in their place.
// - Lines may end in LF or CR LF; the file is written with LF.
//
// The object holds the whole file in memory: Load reads it, the getters and writers work on the
// copy, Save writes the copy back (to a temporary file beside it, then renamed over it, so the
// old file stays whole until the new one is complete).
class ProfileFile {
 public:
  explicit ProfileFile(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // Reads the file. A missing file is an empty profile (true). False when the file exists but
  // cannot be read; the profile is then empty and error() says why.
  bool Load();
  // Writes the profile, creating the file's directory when it is missing. False (and error())
  // when it cannot be written; the previous file is then untouched.
  bool Save();
  const std::string& error() const { return error_; }

  // The value of `key` in `section`, or nullopt when there is none.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback = "") const;
  // The value as a decimal integer (an optional sign and digits, nothing else, within int), or
  // `fallback` when the key is missing or its value is no such number.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

  // Sets `key` in `section`, adding the section at the end and the key at the end of its section
  // when they are new. False, with nothing changed, for a name or value the file cannot hold: a
  // line break anywhere, an empty or bracketed section name or one with ']', an empty key or one
  // with '=', or one that begins with ';' or '['.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);

  // Removes `key` from `section`; false when it was not there.
  bool DeleteKey(std::string_view section, std::string_view key);

 private:
  struct Line {
    bool is_entry = false;
    std::string key;    // entries
    std::string value;  // entries: as read, quotes removed
    std::string text;   // the line as read (written back as it was until the entry changes)
  };
  struct Section {
    std::string name;  // empty for the lines before the first section header
    bool has_header = true;
    std::string header;  // the header line as read; empty for a section added here
    std::vector<Line> lines;
  };

  void Parse(const std::string& content);
  std::string Render() const;
  const Line* FindLine(std::string_view section, std::string_view key) const;

  std::string path_;
  std::string error_;
  std::vector<Section> sections_;
};

// Where the profile of an executable is kept: the XDG configuration directory ($XDG_CONFIG_HOME
// when it is an absolute path, else $HOME/.config, else the user's home directory from the
// password database followed by /.config), then "zelvogdb/<executable name>.INI". The executable
// name is taken without its directory.
std::string DefaultProfilePath(std::string_view executable_name);
// The same for the running executable (its name from /proc/self/exe, "zelvogdb" when that is
// not readable).
std::string DefaultProfilePath();

}  // namespace zelvo::platform
