#include "app/shell/startup_document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "app/settings_document.h"
#include "platform/profile_file.h"

namespace zelvo {
namespace {

class StartupDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A directory of its own, so runs in other build trees do not meet.
    std::string pattern =
        (std::filesystem::path(::testing::TempDir()) / "startup_document_test_XXXXXX")
            .lexically_normal()
            .string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    // Read-only files are removed with their directory.
    std::filesystem::remove_all(dir_);
  }

  // A document file with a configuration file name of its own, to tell it from a new one.
  std::string WriteDocument(const std::string& name, const std::string& config_file) {
    CZelvohsDoc document;
    document.config_file_name = config_file;
    document.port_index = 2;
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(SaveDocumentFile(document, path).ok);
    return path;
  }

  platform::ProfileFile ProfileWithRecent(const std::string& path) {
    platform::ProfileFile profile(dir_ + "/zelvogdb-setup.INI");
    profile.WriteString(platform::kRecentFileListSection, "File1", path);
    return profile;
  }

  std::string dir_;
};

TEST_F(StartupDocumentTest, AnEmptyProfileStartsANewDocument) {
  platform::ProfileFile profile(dir_ + "/missing.INI");
  ASSERT_TRUE(profile.Load());
  const StartupChoice choice = ChooseStartupDocument(std::nullopt, profile);
  EXPECT_EQ(choice.source, StartupSource::kNewDocument);
  EXPECT_EQ(choice.path, "");

  CZelvohsDoc document;
  document.config_file_name = "left over";
  document.SetModifiedFlag();
  const StartupOutcome outcome = OpenStartupDocument(document, choice);
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.message, "");
  EXPECT_EQ(document.config_file_name, "");
  EXPECT_EQ(document.box_ip_address, "0.0.0.0");
  EXPECT_FALSE(document.IsModified());
}

TEST_F(StartupDocumentTest, TheCommandLineWinsOverTheRecentFile) {
  const std::string named = WriteDocument("named.gdb", "named.cfg");
  const std::string recent = WriteDocument("recent.gdb", "recent.cfg");
  const StartupChoice choice = ChooseStartupDocument(named, ProfileWithRecent(recent));
  EXPECT_EQ(choice.source, StartupSource::kCommandLine);
  EXPECT_EQ(choice.path, named);

  CZelvohsDoc document;
  const StartupOutcome outcome = OpenStartupDocument(document, choice);
  EXPECT_TRUE(outcome.opened);
  EXPECT_EQ(document.config_file_name, "named.cfg");
  EXPECT_EQ(document.port_index, 2);
}

TEST_F(StartupDocumentTest, ARelativeCommandLinePathIsMadeAbsolute) {
  const std::string named = WriteDocument("named.gdb", "named.cfg");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  const StartupChoice choice =
      ChooseStartupDocument(std::string("./sub/../named.gdb"), ProfileWithRecent(""));
  std::filesystem::current_path(previous);
  EXPECT_EQ(choice.path, std::filesystem::path(named).lexically_normal().string());
}

TEST_F(StartupDocumentTest, TheRecentFileOpensWhenItExistsAndIsWritable) {
  const std::string recent = WriteDocument("recent.gdb", "recent.cfg");
  const StartupChoice choice = ChooseStartupDocument(std::nullopt, ProfileWithRecent(recent));
  EXPECT_EQ(choice.source, StartupSource::kRecentFile);
  EXPECT_EQ(choice.path, recent);
  CZelvohsDoc document;
  EXPECT_TRUE(OpenStartupDocument(document, choice).opened);
  EXPECT_EQ(document.config_file_name, "recent.cfg");
}

TEST_F(StartupDocumentTest, AReadOnlyMissingOrOddRecentFileIsNotTried) {
  const std::string read_only = WriteDocument("read-only.gdb", "x.cfg");
  ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
  const std::string directory = dir_ + "/folder.gdb";
  std::filesystem::create_directory(directory);
  for (const std::string& recent : {read_only, dir_ + "/missing.gdb", directory}) {
    SCOPED_TRACE(recent);
    EXPECT_FALSE(IsWritableFile(recent));
    const StartupChoice choice = ChooseStartupDocument(std::nullopt, ProfileWithRecent(recent));
    EXPECT_EQ(choice.source, StartupSource::kNewDocument);
  }
  // Writable again, it is tried again.
  ASSERT_EQ(chmod(read_only.c_str(), 0644), 0);
  EXPECT_EQ(ChooseStartupDocument(std::nullopt, ProfileWithRecent(read_only)).source,
            StartupSource::kRecentFile);
}

TEST_F(StartupDocumentTest, ATruncatedRecentFileIsReportedAndANewDocumentStarts) {
  // A new document's file without its last field, the reserved word.
  const std::string whole = WriteDocument("whole.gdb", "");
  std::ifstream in(whole, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 65u);
  const std::string truncated = dir_ + "/truncated.gdb";
  std::ofstream(truncated, std::ios::binary) << bytes.substr(0, 63);

  const StartupChoice choice = ChooseStartupDocument(std::nullopt, ProfileWithRecent(truncated));
  ASSERT_EQ(choice.source, StartupSource::kRecentFile);
  CZelvohsDoc document;
  document.config_file_name = "left over";
  const StartupOutcome outcome = OpenStartupDocument(document, choice);
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.message, "Unexpected file format.");
  EXPECT_EQ(document.config_file_name, "");
  EXPECT_EQ(document.default_gateway, "255.255.255.255");
  EXPECT_FALSE(document.IsModified());
}

TEST_F(StartupDocumentTest, ACommandLineFileThatIsMissingIsReported) {
  const std::string missing = dir_ + "/missing.gdb";
  const StartupChoice choice = ChooseStartupDocument(missing, ProfileWithRecent(""));
  EXPECT_EQ(choice.source, StartupSource::kCommandLine);
  CZelvohsDoc document;
  const StartupOutcome outcome = OpenStartupDocument(document, choice);
  EXPECT_FALSE(outcome.opened);
  EXPECT_NE(outcome.message.find("missing.gdb"), std::string::npos) << outcome.message;
}

}  // namespace
}  // namespace zelvo
