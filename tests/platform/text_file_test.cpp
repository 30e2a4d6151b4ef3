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

}  // namespace
}  // namespace zelvo::platform
