#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zelvo::platform {
namespace {

class TextFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& content) {
    std::ofstream(path_, std::ios::binary) << content;
    return path_;
  }
  std::vector<std::string> ReadAll(size_t max_chars) {
    TextFile file;
    EXPECT_TRUE(file.Open(path_));
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadString(line, max_chars)) lines.push_back(line);
    return lines;
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("zelvo-text-" + std::to_string(::getpid()) + ".txt"))
                          .string();
};

TEST_F(TextFileTest, CarriageReturnBeforeLineFeedIsDroppedOtherwiseKept) {
  Write("one\r\ntwo\rthree\nlast");
  EXPECT_EQ(ReadAll(255), (std::vector<std::string>{"one\n", "two\rthree\n", "last"}));
}

TEST_F(TextFileTest, ByteOneAEndsTheFile) {
  Write("one\n\x1Atwo\n");
  EXPECT_EQ(ReadAll(255), (std::vector<std::string>{"one\n"}));
}

TEST_F(TextFileTest, LongLineComesInPiecesWithItsLineFeedInTheLast) {
  Write(std::string(10, 'x') + "\n");
  EXPECT_EQ(ReadAll(4), (std::vector<std::string>{"xxxx", "xxxx", "xx\n"}));
  Write(std::string(8, 'x') + "\n");
  EXPECT_EQ(ReadAll(4), (std::vector<std::string>{"xxxx", "xxxx", "\n"}));
}

TEST_F(TextFileTest, PositionCountsTheBytesOfTheFileAndLengthIsTakenAtOpen) {
  Write("ab\r\ncd\n");
  TextFile file;
  ASSERT_TRUE(file.Open(path_));
  EXPECT_EQ(file.GetLength(), 7u);
  std::string line;
  ASSERT_TRUE(file.ReadString(line, 255));
  EXPECT_EQ(file.GetPosition(), 4u);
  ASSERT_TRUE(file.ReadString(line, 255));
  EXPECT_EQ(file.GetPosition(), 7u);
  EXPECT_FALSE(file.ReadString(line, 255));
}

TEST_F(TextFileTest, NulBytesAreOrdinaryCharacters) {
  Write(std::string("a\0b\n", 4));
  EXPECT_EQ(ReadAll(255), (std::vector<std::string>{std::string("a\0b\n", 4)}));
}

TEST_F(TextFileTest, OpeningWhatIsNoReadableFileFailsWithoutAnException) {
  TextFile file;
  EXPECT_FALSE(file.Open("/nonexistent/zelvo/file"));
  EXPECT_FALSE(file.Open(std::filesystem::temp_directory_path().string()));
  std::string line;
  EXPECT_FALSE(file.ReadString(line, 255));
}

TEST_F(TextFileTest, ReadErrorRaisesTheFileException) {
  TextFile file;
  // /proc/self/mem is a regular file whose first page cannot be read: reading it fails.
  ASSERT_TRUE(std::filesystem::exists("/proc/self/mem"));
  if (!file.Open("/proc/self/mem")) GTEST_SKIP() << "no unreadable regular file here";
  std::string line;
  EXPECT_THROW(file.ReadString(line, 255), FileException);
}

// A firmware update must not take a file that changed under it for a whole one.
TEST_F(TextFileTest, TellsAFileChangedInPlaceFromOneReplacedOrLeftAlone) {
  const std::string content = "S1\nS2\nS3\n";
  struct Case {
    const char* name;
    void (*change)(const std::string& path);
    bool changed;
  };
  const Case cases[] = {
      {"untouched", [](const std::string&) {}, false},
      {"cut short", [](const std::string& p) { std::filesystem::resize_file(p, 3); }, true},
      {"extended", [](const std::string& p) { std::ofstream(p, std::ios::app) << "S4\n"; }, true},
      // The same length at once: the modification time may not even have moved.
      {"written over", [](const std::string& p) { std::ofstream(p) << "X1\nX2\nX3\n"; }, true},
      {"replaced",
       [](const std::string& p) {
         std::ofstream(p + ".new") << "other\n";
         std::filesystem::rename(p + ".new", p);
       },
       false},
      {"deleted", [](const std::string& p) { std::filesystem::remove(p); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(content);
    TextFile file;
    ASSERT_TRUE(file.Open(path_));
    std::string line;
    ASSERT_TRUE(file.ReadString(line, 255));
    c.change(path_);
    EXPECT_EQ(file.ChangedSinceOpen(), c.changed);
    // A reader that goes on still gets the file it opened when it was replaced or deleted.
    if (!c.changed) {
      std::string rest;
      while (file.ReadString(line, 255)) rest += line;
      EXPECT_EQ(rest, "S2\nS3\n");
      EXPECT_FALSE(file.ChangedSinceOpen());
    }
  }
}

}  // namespace
}  // namespace zelvo::platform
