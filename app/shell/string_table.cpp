#include "app/shell/string_table.h"

namespace zelvo {

std::string MainWindowTitle(const std::string& document_title) {
  if (document_title.empty()) return kMainWindowTitle;
  return document_title + " - " + kMainWindowTitle;
}

std::string SaveChangesQuestion(const std::string& document_title) {
  return "Save changes to " + document_title + "?";
}

std::string WithDocumentExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  // A dot that starts the name (".gdb", a hidden file) is no extension.
  const bool has_extension = dot != std::string::npos && dot > name_start && dot + 1 < path.size();
  if (has_extension || name_start == path.size()) return path;
  return path + kDocumentExtension;
}

}  // namespace zelvo
