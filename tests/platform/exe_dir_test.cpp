#include "platform/exe_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

namespace zelvo::platform {
namespace {

// Clears ZELVO_UPDATE_DIR and the testing override for a test, and puts both back afterwards.
class ExeDirTest : public ::testing::Test {
 protected:
  ExeDirTest() {
    if (const char* value = getenv("ZELVO_UPDATE_DIR")) saved_ = value;
    unsetenv("ZELVO_UPDATE_DIR");
    SetExecutableDirectoryForTesting("");
  }
  ~ExeDirTest() override {
    SetExecutableDirectoryForTesting("");
    if (saved_) {
      setenv("ZELVO_UPDATE_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("ZELVO_UPDATE_DIR");
    }
  }

  std::optional<std::string> saved_;
};

TEST_F(ExeDirTest, WithoutOverridesIsTheDirectoryOfTheRunningProgram) {
  std::filesystem::path self = ExecutablePath();
  ASSERT_TRUE(self.is_absolute());
  EXPECT_EQ(self.filename(), "platform_files_tests");
  EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));
  EXPECT_EQ(ExecutableDirectory(), self.parent_path().string() + "/");
}

TEST_F(ExeDirTest, EnvironmentVariableNamesTheDirectoryWithSlashAdded) {
  setenv("ZELVO_UPDATE_DIR", "/srv/updates", 1);
  EXPECT_EQ(ExecutableDirectory(), "/srv/updates/");
  setenv("ZELVO_UPDATE_DIR", "relative/dir/", 1);
  EXPECT_EQ(ExecutableDirectory(), "relative/dir/");
}

TEST_F(ExeDirTest, EmptyEnvironmentVariableIsIgnored) {
  std::string own = ExecutableDirectory();
  setenv("ZELVO_UPDATE_DIR", "", 1);
  EXPECT_EQ(ExecutableDirectory(), own);
}

TEST_F(ExeDirTest, TestingOverrideComesFirstAndEmptyRemovesIt) {
  std::string own = ExecutableDirectory();
  setenv("ZELVO_UPDATE_DIR", "/from/environment", 1);
  SetExecutableDirectoryForTesting("/from/test");
  EXPECT_EQ(ExecutableDirectory(), "/from/test/");
  SetExecutableDirectoryForTesting("");
  EXPECT_EQ(ExecutableDirectory(), "/from/environment/");
  unsetenv("ZELVO_UPDATE_DIR");
  EXPECT_EQ(ExecutableDirectory(), own);
  EXPECT_EQ(ExecutablePath().rfind(own, 0), 0u) << "the path itself is never overridden";
}

}  // namespace
}  // namespace zelvo::platform
