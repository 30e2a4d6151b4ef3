#include "app/shell/command_line.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zelvo {
namespace {

TEST(CommandLineTest, DocumentPathDropsTheQuotesAsTheFrameworkDid) {
  struct Case {
    const char* tail;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"/home/me/box.gdb", "/home/me/box.gdb"},
      {"\"/home/me/box.gdb\"", "/home/me/box.gdb"},
      {"   \"/home/me/my box.gdb\"", "/home/me/my box.gdb"},
      {"/home/me/my box.gdb", "/home/me/my box.gdb"},
      // Cut at the last quote, whatever follows it.
      {"\"a b.gdb\" extra", "a b.gdb"},
      {"a\"b\"c.gdb", "a\"b"},
      // Only the leading quote is dropped; one that ends the name alone is cut.
      {"\"unclosed.gdb", "unclosed.gdb"},
      {"box.gdb\"", "box.gdb"},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"\"\"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DocumentPathFromCommandLine(c.tail), c.path) << c.tail;
  }
}

TEST(CommandLineTest, TailJoinsTheArgumentsAfterTheProgramName) {
  const char* const split[] = {"zelvogdb-setup", "/home/me/my", "box.gdb"};
  EXPECT_EQ(CommandLineTail(3, split), "/home/me/my box.gdb");
  const char* const quoted[] = {"zelvogdb-setup", "\"/home/me/my box.gdb\""};
  EXPECT_EQ(DocumentPathFromCommandLine(CommandLineTail(2, quoted)), "/home/me/my box.gdb");
  const char* const none[] = {"zelvogdb-setup"};
  EXPECT_EQ(CommandLineTail(1, none), "");
}

}  // namespace
}  // namespace zelvo
