#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include "tests/support/temp_directory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zelvo::platform {
namespace {

namespace fs = std::filesystem;

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }
  void WriteRaw(const std::string& name, const std::string& content) const {
    scratch_.Write(name, content);
  }
  std::string ReadRaw(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  ::zelvo::testing::TempDirectory scratch_{"zelvo_profile"};
  const fs::path& directory_ = scratch_.path();
};

TEST_F(ProfileFileTest, MissingFileIsAnEmptyProfile) {
  ProfileFile profile(PathOf("absent.INI"));
  ASSERT_TRUE(profile.Load()) << profile.error();
  EXPECT_EQ(profile.GetString(kRecentFileListSection, "File1"), "");
  EXPECT_EQ(profile.GetString(kRecentFileListSection, "File1", "none"), "none");
  EXPECT_EQ(profile.GetInt(kWindowPosSection, "leftPos", 0xFFFF), 0xFFFF);
  EXPECT_FALSE(profile.Find(kPortsSection, "COM1").has_value());
  EXPECT_FALSE(fs::exists(PathOf("absent.INI")));  // loading creates nothing
}

TEST_F(ProfileFileTest, RoundTripKeepsSectionsKeysAndValues) {
  ProfileFile profile(PathOf("sub/dir/zelvogdb.INI"));  // the directory is created on saving
  ASSERT_TRUE(profile.WriteString(kRecentFileListSection, "File1", "/home/me/my box.gdb"));
  ASSERT_TRUE(profile.WriteString(kRecentFileListSection, "File2", "/tmp/b.gdb"));
  ASSERT_TRUE(profile.WriteInt(kWindowPosSection, "leftPos", -10));
  ASSERT_TRUE(profile.WriteInt(kWindowPosSection, "bottomPos", 500));
  ASSERT_TRUE(profile.WriteString(kPortsSection, "COM3", "/dev/ttyUSB0"));
  ASSERT_TRUE(profile.WriteString(kSettingsSection, "Padded", "  two  blanks  "));
  ASSERT_TRUE(profile.WriteString(kSettingsSection, "Quoted", "\"q\""));
  ASSERT_TRUE(profile.WriteString(kSettingsSection, "Empty", ""));
  ASSERT_TRUE(profile.Save()) << profile.error();

  EXPECT_EQ(ReadRaw("sub/dir/zelvogdb.INI"),
            "[Recent File List]\n"
            "File1=/home/me/my box.gdb\n"
            "File2=/tmp/b.gdb\n"
            "[WindowPos]\n"
            "leftPos=-10\n"
            "bottomPos=500\n"
            "[Ports]\n"
            "COM3=/dev/ttyUSB0\n"
            "[Settings]\n"
            "Padded=\"  two  blanks  \"\n"
            "Quoted=\"\"q\"\"\n"
            "Empty=\n");

  ProfileFile again(PathOf("sub/dir/zelvogdb.INI"));
  ASSERT_TRUE(again.Load()) << again.error();
  EXPECT_EQ(again.GetString(kRecentFileListSection, "File1"), "/home/me/my box.gdb");
  EXPECT_EQ(again.GetString(kRecentFileListSection, "File2"), "/tmp/b.gdb");
  EXPECT_EQ(again.GetInt(kWindowPosSection, "leftPos", 0), -10);
  EXPECT_EQ(again.GetInt(kWindowPosSection, "bottomPos", 0), 500);
  EXPECT_EQ(again.Find(kPortsSection, "COM3"), "/dev/ttyUSB0");
  EXPECT_EQ(again.GetString(kSettingsSection, "Padded"), "  two  blanks  ");
  EXPECT_EQ(again.GetString(kSettingsSection, "Quoted"), "\"q\"");
  EXPECT_EQ(again.Find(kSettingsSection, "Empty"), "");
}

TEST_F(ProfileFileTest, ReadsHandWrittenFiles) {
  WriteRaw("hand.INI",
           "; written by hand\r\n"
           "  [ Recent File List ]  \r\n"
           "  File1 =  C:\\My Documents\\box one.gdb  \r\n"
           "[windowpos]\n"
           "LEFTPOS=100\n"
           "topPos = +100\n"
           "rightPos=70x\n"
           "bottomPos=99999999999\n"
           "[Ports]\n"
           "COM1=/dev/ttyUSB1\n"
           "com1=/dev/second\n"
           "[Ports]\n"
           "COM2=/dev/hidden\n");
  ProfileFile profile(PathOf("hand.INI"));
  ASSERT_TRUE(profile.Load()) << profile.error();
  // Blanks around names and values go; blanks inside stay; names ignore ASCII case.
  EXPECT_EQ(profile.GetString("Recent File List", "file1"), "C:\\My Documents\\box one.gdb");
  EXPECT_EQ(profile.GetInt("WindowPos", "leftPos", 0), 100);
  EXPECT_EQ(profile.GetInt("WindowPos", "topPos", 0), 100);
  // Values that are no integer, or do not fit, give the fallback.
  EXPECT_EQ(profile.GetInt("WindowPos", "rightPos", 7), 7);
  EXPECT_EQ(profile.GetInt("WindowPos", "bottomPos", 7), 7);
  // The first of two equal keys, and the first of two equal sections, count.
  EXPECT_EQ(profile.Find("Ports", "COM1"), "/dev/ttyUSB1");
  EXPECT_FALSE(profile.Find("Ports", "COM2").has_value());
}

TEST_F(ProfileFileTest, GarbledLinesAreIgnoredAndKept) {
  const std::string content =
      "[Recent File List]\n"
      "this line means nothing\n"
      "=no key\n"
      "[unclosed\n"
      "\n"
      "File1=/a.gdb\n"
      "; a comment\n"
      "\n"
      "[WindowPos]\n"
      "leftPos = 5\n";
  WriteRaw("garbled.INI", content);
  ProfileFile profile(PathOf("garbled.INI"));
  ASSERT_TRUE(profile.Load()) << profile.error();
  EXPECT_EQ(profile.GetString(kRecentFileListSection, "File1"), "/a.gdb");
  EXPECT_EQ(profile.GetInt(kWindowPosSection, "leftPos", 0), 5);
  EXPECT_FALSE(profile.Find("unclosed", "File1").has_value());

  // Unchanged lines are written back as they were, new keys after the section's last entry.
  ASSERT_TRUE(profile.WriteString(kRecentFileListSection, "File2", "/b.gdb"));
  ASSERT_TRUE(profile.Save()) << profile.error();
  EXPECT_EQ(ReadRaw("garbled.INI"),
            "[Recent File List]\n"
            "this line means nothing\n"
            "=no key\n"
            "[unclosed\n"
            "\n"
            "File1=/a.gdb\n"
            "; a comment\n"
            "File2=/b.gdb\n"
            "\n"
            "[WindowPos]\n"
            "leftPos = 5\n");
}

TEST_F(ProfileFileTest, OverwritingKeepsTheKeyInPlace) {
  WriteRaw("p.INI", "[WindowPos]\nleftPos=1\ntopPos=2\n");
  ProfileFile profile(PathOf("p.INI"));
  ASSERT_TRUE(profile.Load());
  ASSERT_TRUE(profile.WriteInt("windowpos", "LEFTPOS", 300));
  ASSERT_TRUE(profile.DeleteKey(kWindowPosSection, "topPos"));
  EXPECT_FALSE(profile.DeleteKey(kWindowPosSection, "topPos"));
  ASSERT_TRUE(profile.Save());
  EXPECT_EQ(ReadRaw("p.INI"), "[WindowPos]\nleftPos=300\n");
}

TEST_F(ProfileFileTest, RefusesWhatTheFileCannotHold) {
  ProfileFile profile(PathOf("r.INI"));
  const struct {
    std::string section, key, value;
  } cases[] = {
      {"Settings", "Key", "two\nlines"},
      {"Settings", "Key", "cr\rhere"},
      {"Settings", "a=b", "v"},
      {"Settings", "", "v"},
      {"Settings", ";comment", "v"},
      {"Settings", "[x", "v"},
      {"Settings", " padded", "v"},
      {"Bad]Name", "Key", "v"},
      {"", "Key", "v"},
      {"Two\nLines", "Key", "v"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(profile.WriteString(c.section, c.key, c.value)) << c.section << "/" << c.key;
  }
  ASSERT_TRUE(profile.Save());
  EXPECT_EQ(ReadRaw("r.INI"), "");  // nothing was added
}

TEST_F(ProfileFileTest, FailedSaveKeepsThePreviousFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  WriteRaw("keep.INI", "[WindowPos]\nleftPos=1\n");
  ProfileFile profile(PathOf("keep.INI"));
  ASSERT_TRUE(profile.Load());
  ASSERT_TRUE(profile.WriteInt(kWindowPosSection, "leftPos", 2));
  fs::permissions(directory_, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_FALSE(profile.Save());
  EXPECT_FALSE(profile.error().empty());
  fs::permissions(directory_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadRaw("keep.INI"), "[WindowPos]\nleftPos=1\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(ProfileFileTest, UnreadableFileIsReported) {
  fs::create_directory(PathOf("a_directory.INI"));
  ProfileFile profile(PathOf("a_directory.INI"));
  EXPECT_FALSE(profile.Load());
  EXPECT_FALSE(profile.error().empty());
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DefaultProfilePathTest, FollowsTheXdgConfigurationDirectory) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultProfilePath("/opt/bin/zelvogdb"), "/cfg/zelvogdb/zelvogdb.INI");
    EXPECT_EQ(DefaultProfilePath("zelvogdb-cli"), "/cfg/zelvogdb/zelvogdb-cli.INI");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/me");
    EXPECT_EQ(DefaultProfilePath("zelvogdb"), "/home/me/.config/zelvogdb/zelvogdb.INI");
  }
  {
    // A relative XDG_CONFIG_HOME is not valid and is passed over.
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
    ScopedEnv home("HOME", "/home/me");
    EXPECT_EQ(DefaultProfilePath("zelvogdb"), "/home/me/.config/zelvogdb/zelvogdb.INI");
  }
}

}  // namespace
}  // namespace zelvo::platform
