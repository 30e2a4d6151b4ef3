#include "app/shell/string_table.h"

#include <gtest/gtest.h>

#include "app/shell/help_page.h"

namespace zelvo {
namespace {

TEST(ShellTextsTest, TitlesAndTheSaveQuestion) {
  EXPECT_EQ(MainWindowTitle("Untitled"), "Untitled - zelvoGDB");
  EXPECT_EQ(MainWindowTitle("box.gdb"), "box.gdb - zelvoGDB");
  EXPECT_EQ(MainWindowTitle(""), "zelvoGDB");
  EXPECT_EQ(SaveChangesQuestion("Untitled"), "Save changes to Untitled?");
}

TEST(ShellTextsTest, ANameWithoutExtensionGetsGdb) {
  struct Case {
    const char* typed;
    const char* saved;
  };
  const Case cases[] = {
      {"/home/me/box", "/home/me/box.gdb"},
      {"/home/me/box.gdb", "/home/me/box.gdb"},
      {"/home/me/box.cfg", "/home/me/box.cfg"},
      {"/home/me.d/box", "/home/me.d/box.gdb"},  // a dot in a directory is no extension
      {"/home/me/.box", "/home/me/.box.gdb"},    // nor one that starts the name
      {"/home/me/box.", "/home/me/box..gdb"},
      {"box", "box.gdb"},
      {"/home/me/", "/home/me/"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithDocumentExtension(c.typed), c.saved) << c.typed;
}

TEST(HelpPageTest, LiesInTheShareDirectoryBesideTheProgramsDirectory) {
  EXPECT_EQ(HelpPagePath("/usr/local/bin/zelvogdb-setup"), "/usr/local/share/zelvogdb/help.html");
  EXPECT_EQ(HelpPagePath("/work/build/bin/zelvogdb-setup"), "/work/build/share/zelvogdb/help.html");
  EXPECT_EQ(HelpPagePath(""), "");
  EXPECT_EQ(FileUrl("/opt/my help/help.html", "using-help"),
            "file:///opt/my%20help/help.html#using-help");
  EXPECT_EQ(FileUrl("/a/b#c%.html", ""), "file:///a/b%23c%25.html");
}

}  // namespace
}  // namespace zelvo
