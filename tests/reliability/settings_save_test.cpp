// Saving the settings document and the profile into a place that is full or read-only: the save
// fails with a message and the previous file stays whole. Permissions do not bind root, the user
// CI runs as, so the read-only cases save from a child process that has given up root.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/settings_document.h"
#include "platform/profile_file.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Runs `save` in a child process without root's privileges (as the user nobody when this
// process is root); the child's exit status is what `save` returns (a bit set for each check
// that failed), or 100 when the privileges could not be given up.
int SaveAsUnprivileged(const std::function<int()>& save) {
  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(100);
    ::_exit(save());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lets this process write no file beyond `bytes`, as a full disk would (binding root too).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit previous_{};
  void (*previous_handler_)(int) = nullptr;
};

class SettingsSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zelvo-save-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    directory_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(directory_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(directory_, ignored);
  }

  std::string PathOf(const std::string& name) const { return (directory_ / name).string(); }
  static std::string ReadRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  long Entries() const {
    return std::distance(fs::directory_iterator(directory_), fs::directory_iterator());
  }
  // The directory is readable by everybody and writable by its owner alone (root, when we are);
  // `file` in it belongs to the unprivileged user and may be written, so that only the directory
  // stands in the way of a save, which writes a new file beside the old one.
  void MakeDirectoryReadOnlyForOthers(const std::string& file) const {
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    ::chmod(file.c_str(), 0644);
    ::chmod(directory_.c_str(), ::geteuid() == 0 ? 0755 : 0555);
  }
  // The directory and `file` belong to the unprivileged user; the file is read-only.
  void MakeFileReadOnlyForItsOwner(const std::string& file) const {
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(directory_.c_str(), kNobody, kNobody), 0);
      ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    ::chmod(directory_.c_str(), 0755);
    ::chmod(file.c_str(), 0444);
  }

  static void Fill(CZelvohsDoc& document) {
    document.box_ip_address = "192.168.1.10";
    document.config_file_name = std::string(400, 'c');
    document.SetModifiedFlag();
  }

  fs::path directory_;
};

// The document save, as the child sees it: bit 1 it succeeded, bit 2 its message does not name
// the file, bit 4 the document no longer counts as modified.
int SaveDocumentExpectingFailure(const std::string& path) {
  CZelvohsDoc document;
  document.box_ip_address = "10.9.8.7";
  document.SetModifiedFlag();
  DocumentFileResult result = SaveDocumentFile(document, path);
  int failures = 0;
  if (result.ok) failures |= 1;
  if (result.message.find(path) == std::string::npos) failures |= 2;
  if (!document.IsModified()) failures |= 4;
  return failures;
}

TEST_F(SettingsSaveTest, DocumentSaveIntoAReadOnlyDirectoryFailsAndKeepsThePreviousFile) {
  CZelvohsDoc document;
  Fill(document);
  const std::string path = PathOf("settings.gdb");
  ASSERT_TRUE(SaveDocumentFile(document, path).ok);
  const std::string previous = ReadRaw(path);
  MakeDirectoryReadOnlyForOthers(path);
  EXPECT_EQ(SaveAsUnprivileged([&] { return SaveDocumentExpectingFailure(path); }), 0)
      << "bits: 1 saved, 2 message without the file's name, 4 no longer modified";
  EXPECT_EQ(ReadRaw(path), previous);
  EXPECT_EQ(Entries(), 1) << "no temporary file left behind";
}

TEST_F(SettingsSaveTest, DocumentSaveOverAReadOnlyFileFailsAndKeepsIt) {
  CZelvohsDoc document;
  Fill(document);
  const std::string path = PathOf("settings.gdb");
  ASSERT_TRUE(SaveDocumentFile(document, path).ok);
  const std::string previous = ReadRaw(path);
  MakeFileReadOnlyForItsOwner(path);
  EXPECT_EQ(SaveAsUnprivileged([&] { return SaveDocumentExpectingFailure(path); }), 0)
      << "bits: 1 saved, 2 message without the file's name, 4 no longer modified";
  EXPECT_EQ(ReadRaw(path), previous);
  EXPECT_EQ(Entries(), 1);
}

// The profile keeps the recent-file list and the window's place; a save that cannot be written
// reports why and leaves the file as it was.
class ProfileSaveTest : public SettingsSaveTest {
 protected:
  void SetUp() override {
    SettingsSaveTest::SetUp();
    path_ = PathOf("zelvogdb.INI");
    std::ofstream(path_) << "[Recent File List]\nFile1=/home/me/box.gdb\n[WindowPos]\nleftPos=1\n";
    previous_ = ReadRaw(path_);
  }
  // Loads the profile and changes it, as the program does when it ends.
  static void Change(platform::ProfileFile& profile) {
    profile.WriteInt(platform::kWindowPosSection, "leftPos", 2);
    profile.WriteString(platform::kRecentFileListSection, "File2", std::string(3000, 'f'));
  }

  std::string path_;
  std::string previous_;
};

// The profile save, as the child sees it: bit 1 the load failed, bit 2 the save succeeded, bit 4
// no reason given.
int SaveProfileExpectingFailure(const std::string& path) {
  platform::ProfileFile profile(path);
  int failures = profile.Load() ? 0 : 1;
  profile.WriteInt(platform::kWindowPosSection, "leftPos", 2);
  if (profile.Save()) failures |= 2;
  if (profile.error().empty()) failures |= 4;
  return failures;
}

TEST_F(ProfileSaveTest, SaveIntoAFullPlaceFailsAndKeepsThePreviousFile) {
  platform::ProfileFile profile(path_);
  ASSERT_TRUE(profile.Load());
  Change(profile);
  bool saved = true;
  {
    ScopedFileSizeLimit disk_full(1000);
    saved = profile.Save();
  }
  EXPECT_FALSE(saved);
  EXPECT_FALSE(profile.error().empty());
  EXPECT_EQ(ReadRaw(path_), previous_);
  EXPECT_EQ(Entries(), 1);
  // Once there is room again the same profile saves.
  EXPECT_TRUE(profile.Save()) << profile.error();
  platform::ProfileFile reloaded(path_);
  ASSERT_TRUE(reloaded.Load());
  EXPECT_EQ(reloaded.GetInt(platform::kWindowPosSection, "leftPos", 0), 2);
}

TEST_F(ProfileSaveTest, SaveIntoAReadOnlyDirectoryFailsAndKeepsThePreviousFile) {
  MakeDirectoryReadOnlyForOthers(path_);
  EXPECT_EQ(SaveAsUnprivileged([&] { return SaveProfileExpectingFailure(path_); }), 0)
      << "bits: 1 not loaded, 2 saved, 4 no reason";
  EXPECT_EQ(ReadRaw(path_), previous_);
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ProfileSaveTest, SaveOverAReadOnlyFileFailsAndKeepsIt) {
  MakeFileReadOnlyForItsOwner(path_);
  EXPECT_EQ(SaveAsUnprivileged([&] { return SaveProfileExpectingFailure(path_); }), 0)
      << "bits: 1 not loaded, 2 saved, 4 no reason";
  EXPECT_EQ(ReadRaw(path_), previous_);
  EXPECT_EQ(Entries(), 1);
}

}  // namespace
}  // namespace zelvo
