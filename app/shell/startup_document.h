#pragma once

#include <optional>
#include <string>

#include "app/settings_document.h"
#include "platform/profile_file.h"

namespace zelvo {

// Whether `path` names an existing file that is not marked read-only: a regular file with a
// write permission bit set that this process may write (the bits count also for root, for whom
// the access test alone would pass every file).
bool IsWritableFile(const std::string& path);

// `path` made absolute against the current directory, "." and ".." resolved (links are kept), so
// the recent-file list holds paths that still work from another directory.
std::string FullPath(const std::string& path);

enum class StartupSource {
  kCommandLine,  // the document named on the command line
  kRecentFile,   // "File1" of "Recent File List"
  kNewDocument,  // a new document, "Untitled"
};

struct StartupChoice {
  StartupSource source = StartupSource::kNewDocument;
  std::string path;  // absolute; empty for kNewDocument
};

// Which document the program starts with: the one named on the command line when there is one
// (the recent file is then not looked at); else "File1" of "Recent File List" when it is not
// empty and IsWritableFile passes; else a new document. A missing or read-only recent file is
// not tried.
StartupChoice ChooseStartupDocument(const std::optional<std::string>& command_line_path,
                                    const platform::ProfileFile& profile);

struct StartupOutcome {
  bool opened = false;  // the chosen file is loaded into the document
  // Why the chosen file could not be opened, for the user ("Unexpected file format." for a file
  // that ends early); empty when it opened or a new document was chosen.
  std::string message;
};

// Loads the chosen file into `document`, or makes it a new document. When the file cannot be
// opened or read, the document is made a new one and `message` says why: the program then starts
// with "Untitled" instead of ending, so a bad file never keeps it from starting.
StartupOutcome OpenStartupDocument(CZelvohsDoc& document, const StartupChoice& choice);

}  // namespace zelvo
