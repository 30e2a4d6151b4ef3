#include "platform/dir_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zelvo::platform {
namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

TEST(MatchesNamePatternTest, QuestionMarkIsExactlyOneCharacterAndCaseCounts) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"ZV9SWDGD.105", "ZV9SWDGD.???", true},
      {"ZV9SWDGD.ABC", "ZV9SWDGD.???", true},
      {"ZV9SWDGD.1", "ZV9SWDGD.???", false},
      {"ZV9SWDGD.1050", "ZV9SWDGD.???", false},
      {"ZV9SWDGD.", "ZV9SWDGD.???", false},
      {"zv9swdgd.105", "ZV9SWDGD.???", false},
      {"XZV9SWDGD.105", "ZV9SWDGD.???", false},
      {"A.B", "A?B", true},
      {"A?B", "A?B", true},
      {"", "", true},
      {"", "?", false},
      {"A\xE9", "A?", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesNamePattern(c.name, c.pattern), c.matches)
        << '"' << c.name << "\" against \"" << c.pattern << '"';
  }
}

class DirSearchTest : public ::testing::Test {
 protected:
  DirSearchTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvo-dirsearch-XXXXXX");
    dir_ = mkdtemp(pattern.data());
  }
  ~DirSearchTest() override { std::filesystem::remove_all(dir_); }
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }

  std::filesystem::path dir_;
};

TEST_F(DirSearchTest, ListsEveryMatchingEntryDirectoriesIncluded) {
  Touch("ZV9SWDGD.007");
  Touch("ZV9SWDGD.1");
  Touch("SWDJED20.010");
  std::filesystem::create_directory(dir_ / "ZV9SWDGD.200");
  std::filesystem::create_symlink("nowhere", dir_ / "ZV9SWDGD.300");

  EXPECT_THAT(FindMatchingEntries((dir_ / "ZV9SWDGD.???").string()),
              UnorderedElementsAre("ZV9SWDGD.007", "ZV9SWDGD.200", "ZV9SWDGD.300"));
  EXPECT_THAT(FindMatchingEntries((dir_ / "SWDJED21.???").string()), IsEmpty());
}

TEST_F(DirSearchTest, MissingOrUnreadableDirectoryGivesNoNames) {
  EXPECT_THAT(FindMatchingEntries((dir_ / "absent" / "ZV9SWDGD.???").string()), IsEmpty());
  Touch("plainfile");
  EXPECT_THAT(FindMatchingEntries((dir_ / "plainfile" / "ZV9SWDGD.???").string()), IsEmpty());
}

TEST_F(DirSearchTest, PatternWithoutDirectorySearchesTheCurrentDirectory) {
  Touch("ZV9SWDGD.042");
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  std::vector<std::string> names = FindMatchingEntries("ZV9SWDGD.???");
  std::filesystem::current_path(previous);
  EXPECT_THAT(names, UnorderedElementsAre("ZV9SWDGD.042"));
}

}  // namespace
}  // namespace zelvo::platform
