#include "app/shell/recent_file_list.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/profile_file.h"

namespace zelvo {
namespace {

using Files = std::vector<std::string>;

TEST(RecentFileListTest, KeepsTheFourNewestWithoutRepeats) {
  RecentFileList list;
  for (const char* path : {"/a.gdb", "/b.gdb", "/c.gdb", "/d.gdb", "/e.gdb"}) list.Add(path);
  EXPECT_EQ(list.files(), (Files{"/e.gdb", "/d.gdb", "/c.gdb", "/b.gdb"}));
  list.Add("/c.gdb");
  EXPECT_EQ(list.files(), (Files{"/c.gdb", "/e.gdb", "/d.gdb", "/b.gdb"}));
  EXPECT_TRUE(list.Remove("/e.gdb"));
  EXPECT_FALSE(list.Remove("/e.gdb"));
  EXPECT_EQ(list.files(), (Files{"/c.gdb", "/d.gdb", "/b.gdb"}));
  list.Add("");
  EXPECT_EQ(list.files().size(), 3u);
}

TEST(RecentFileListTest, ReadsAndWritesFile1ToFile4) {
  platform::ProfileFile profile("/nonexistent/zelvogdb-test.INI");
  const auto section = platform::kRecentFileListSection;
  profile.WriteString(section, "File1", "/one.gdb");
  profile.WriteString(section, "File2", "");
  profile.WriteString(section, "File3", "/three.gdb");
  profile.WriteString(section, "File4", "/one.gdb");
  profile.WriteString(section, "File5", "/five.gdb");  // beyond the list
  RecentFileList list;
  list.ReadList(profile);
  EXPECT_EQ(list.files(), (Files{"/one.gdb", "/three.gdb"}));

  list.Add("/new.gdb");
  list.WriteList(profile);
  EXPECT_EQ(profile.GetString(section, "File1"), "/new.gdb");
  EXPECT_EQ(profile.GetString(section, "File2"), "/one.gdb");
  EXPECT_EQ(profile.GetString(section, "File3"), "/three.gdb");
  EXPECT_FALSE(profile.Find(section, "File4"));
  EXPECT_EQ(profile.GetString(section, "File5"), "/five.gdb");
}

TEST(RecentFileListTest, MenuLabelsAreNumberedAndShortened) {
  EXPECT_EQ(RecentFileList::MenuLabel(0, "/home/me/box.gdb"), "&1 /home/me/box.gdb");
  EXPECT_EQ(RecentFileList::MenuLabel(3, "/tmp/R&D.gdb"), "&4 /tmp/R&&D.gdb");
  // 30 characters at most: the first directory, "...", as many of the last ones as fit.
  EXPECT_EQ(RecentFileList::AbbreviatePath("/home/somebody/projects/zelvo/boxes/lab.gdb", 30),
            "/home/.../zelvo/boxes/lab.gdb");
  EXPECT_EQ(
      RecentFileList::AbbreviatePath("/home/somebody/projects/zelvo/a-rather-long-name.gdb", 30),
      "a-rather-long-name.gdb");
  EXPECT_EQ(RecentFileList::AbbreviatePath("relative/deeper/and/deeper/still/box.gdb", 30),
            "relative/.../still/box.gdb");
  const std::string exactly30 = "/home/me/projects/zelvo/ab.gdb";
  ASSERT_EQ(exactly30.size(), 30u);
  EXPECT_EQ(RecentFileList::AbbreviatePath(exactly30, 30), exactly30);
  for (const std::string& path : {std::string("/home/somebody/projects/zelvo/boxes/lab.gdb"),
                                  std::string("/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p.gdb")}) {
    EXPECT_LE(RecentFileList::AbbreviatePath(path, 30).size(), 30u) << path;
  }
}

}  // namespace
}  // namespace zelvo
