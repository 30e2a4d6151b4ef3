#include "app/shell/startup_document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace zelvo {

bool IsWritableFile(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(path.c_str(), W_OK) == 0;
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  if (error) return path;
  return full.lexically_normal().string();
}

StartupChoice ChooseStartupDocument(const std::optional<std::string>& command_line_path,
                                    const platform::ProfileFile& profile) {
  if (command_line_path) return {StartupSource::kCommandLine, FullPath(*command_line_path)};
  const std::string recent = profile.GetString(platform::kRecentFileListSection, "File1");
  if (!recent.empty() && IsWritableFile(recent)) return {StartupSource::kRecentFile, recent};
  return {StartupSource::kNewDocument, {}};
}

StartupOutcome OpenStartupDocument(CZelvohsDoc& document, const StartupChoice& choice) {
  if (choice.source != StartupSource::kNewDocument) {
    const DocumentFileResult result = LoadDocumentFile(document, choice.path);
    if (result.ok) return {true, {}};
    document.OnNewDocument();
    return {false, result.message};
  }
  document.OnNewDocument();
  return {false, {}};
}

}  // namespace zelvo
