#include "app/shell/command_line.h"

namespace zelvo {

std::string CommandLineTail(int argc, const char* const* argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
}

std::optional<std::string> DocumentPathFromCommandLine(std::string_view tail) {
  const size_t start = tail.find_first_not_of(" \t");
  if (start == std::string_view::npos) return std::nullopt;
  std::string_view path = tail.substr(start);
  if (path.front() == '"') path.remove_prefix(1);
  if (const size_t last_quote = path.rfind('"'); last_quote != std::string_view::npos) {
    path = path.substr(0, last_quote);
  }
  if (path.empty()) return std::nullopt;
  return std::string(path);
}

}  // namespace zelvo
