#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"

namespace zelvo::fuzz {

// A file of the run's own in the temporary directory, rewritten with every input, for the
// readers that take a path. Several fuzzing processes can run side by side: the name carries the
// process ID.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view name) {
    const char* directory = std::getenv("TMPDIR");
    path_ = std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
            "/zelvo-fuzz-" + std::to_string(::getpid()) + "-" + std::string(name);
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Replaces the file's content with `bytes`.
  void Write(std::string_view bytes) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ZELVO_FUZZ_CHECK(file != nullptr);
    ZELVO_FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    ZELVO_FUZZ_CHECK(std::fclose(file) == 0);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zelvo::fuzz
