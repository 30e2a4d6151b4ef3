// Runs the built zelvo9-mkupdates program (its path comes from ZELVO_MKUPDATES_PATH).

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/update_images.h"

namespace zelvo::tools {
namespace {

class MkUpdatesTest : public ::testing::Test {
 protected:
  MkUpdatesTest() {
    std::string pattern = std::filesystem::temp_directory_path() / "zelvo-mkupdates-XXXXXX";
    dir_ = mkdtemp(pattern.data());
  }
  ~MkUpdatesTest() override { std::filesystem::remove_all(dir_); }

  // The program's exit status for `arguments`; its output goes to a file in the directory.
  int Run(const std::string& arguments) {
    std::string command = std::string(ZELVO_MKUPDATES_PATH) + " " + arguments + " >'" +
                          (dir_ / "out.txt").string() + "' 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::filesystem::path dir_;
};

TEST_F(MkUpdatesTest, WritesTheSetTheLibraryMakes) {
  std::filesystem::path out = dir_ / "set";
  ASSERT_EQ(Run("--dir '" + out.string() + "' --firmware 7 --logic 3 --size 5000 --crlf"), 0)
      << Read(dir_ / "out.txt");

  FirmwareImageOptions options;
  options.version = 7;
  options.size = 5000;
  options.crlf = true;
  EXPECT_EQ(Read(out / "ZV9SWDGD.007"), MakeFirmwareImage(options)->text);
  EXPECT_EQ(Read(out / "SWDJED20.003"), MakeLogicImage("SWDJED20", 3, true).text);
  EXPECT_EQ(Read(out / "SWDJED21.003"), MakeLogicImage("SWDJED21", 3, true).text);
}

TEST_F(MkUpdatesTest, FirmwareOptionsReachTheImage) {
  ASSERT_EQ(Run("--dir '" + dir_.string() +
                "' --firmware 12 --record-type 2 --address 0x040000 --record-bytes 16 --size 64"),
            0)
      << Read(dir_ / "out.txt");
  FirmwareImageOptions options;
  options.version = 12;
  options.record_type = '2';
  options.address = 0x040000;
  options.record_bytes = 16;
  options.size = 64;
  EXPECT_EQ(Read(dir_ / "ZV9SWDGD.012"), MakeFirmwareImage(options)->text);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "SWDJED20.012"));
}

TEST_F(MkUpdatesTest, RefusesBadArgumentsAndWritesNothing) {
  const std::string d = "--dir '" + (dir_ / "bad").string() + "' ";
  const std::string cases[] = {
      "--firmware 1",  // no directory
      d,               // nothing to write
      d + "--firmware 1000",
      d + "--firmware 12x",
      d + "--firmware",
      d + "--logic -1",
      d + "--firmware 1 --record-bytes 30",
      d + "--firmware 1 --record-type 1",
      d + "--firmware 1 --size 0",
      d + "--firmware 1 --bogus 3",
  };
  for (const std::string& arguments : cases) {
    EXPECT_EQ(Run(arguments), 2) << arguments;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "bad")) << arguments;
  }
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(Read(dir_ / "out.txt").find("--firmware"), std::string::npos);
}

}  // namespace
}  // namespace zelvo::tools
