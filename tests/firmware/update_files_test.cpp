#include "firmware/update_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/exe_dir.h"
#include "tests/firmware/scratch_directory.h"

namespace zelvo {
namespace {

using testing::ScratchDirectory;

TEST(UpdateFilePathTest, ThreeDigitExtensionInTheProgramsDirectory) {
  ScratchDirectory dir;
  const std::string base = dir.path().string() + "/";
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 1), base + "ZV9SWDGD.001");
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 7), base + "ZV9SWDGD.007");
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 42), base + "ZV9SWDGD.042");
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 105), base + "ZV9SWDGD.105");
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 255), base + "ZV9SWDGD.255");
  EXPECT_EQ(UpdateFilePath(kLogicStemAlt, 10), base + "SWDJED21.010");
  EXPECT_EQ(UpdateFilePath("zv9swdgd", 5), base + "zv9swdgd.005") << "the stem as given";
}

TEST(UpdateFilePathTest, VersionsOutsideOneTo255GiveNoPath) {
  ScratchDirectory dir;
  for (uint16_t version : {0, 256, 300, 999, 65535}) {
    EXPECT_EQ(UpdateFilePath(kFirmwareStem, version), "") << version;
  }
}

TEST(UpdateFilePathTest, DefaultsToTheExecutablesDirectory) {
  platform::SetExecutableDirectoryForTesting("");
  if (getenv("ZELVO_UPDATE_DIR") != nullptr) GTEST_SKIP() << "ZELVO_UPDATE_DIR is set";
  std::filesystem::path self = platform::ExecutablePath();
  EXPECT_EQ(UpdateFilePath(kFirmwareStem, 9), (self.parent_path() / "ZV9SWDGD.009").string());
}

TEST(NewestUpdateVersionTest, GreatestQualifyingExtension) {
  struct Case {
    std::initializer_list<const char*> files;
    uint16_t newest;
  };
  const Case cases[] = {
      {{"ZV9SWDGD.007", "ZV9SWDGD.105", "ZV9SWDGD.ABC", "ZV9SWDGD.1"}, 105},
      {{"ZV9SWDGD.000"}, 0},
      {{}, 0},
      {{"ZV9SWDGD.300", "ZV9SWDGD.255"}, 300},
      {{"ZV9SWDGD.1a5", "ZV9SWDGD.12", "ZV9SWDGD.099"}, 99},
      {{"ZV9SWDGD.1050", "ZV9SWDGD.105.bak", "XZV9SWDGD.200", "ZV9SWDGD.004"}, 4},
      // The stem is matched exactly: this file's path would never be built.
      {{"zv9swdgd.200", "Zv9SwDgD.201", "ZV9SWDGD.003"}, 3},
      // Logic files of the other stem do not count.
      {{"SWDJED21.012", "ZV9SWDGD.002"}, 2},
  };
  for (const Case& c : cases) {
    ScratchDirectory dir;
    std::string listing;
    for (const char* name : c.files) {
      dir.Write(name, "S9030000FC\n");
      listing += std::string(name) + " ";
    }
    EXPECT_EQ(NewestUpdateVersion(kFirmwareStem), c.newest) << listing;
  }
}

TEST(NewestUpdateVersionTest, LogicStemsAreSearchedSeparately) {
  ScratchDirectory dir;
  dir.Write("SWDJED20.010", "");
  dir.Write("SWDJED21.012", "");
  EXPECT_EQ(NewestUpdateVersion(kLogicStem), 10);
  EXPECT_EQ(NewestUpdateVersion(kFirmwareStem), 0);
}

TEST(NewestUpdateVersionTest, DirectoriesCountLikeFiles) {
  ScratchDirectory dir;
  dir.Write("ZV9SWDGD.100", "");
  std::filesystem::create_directory(dir.path() / "ZV9SWDGD.150");
  EXPECT_EQ(NewestUpdateVersion(kFirmwareStem), 150);
}

TEST(NewestUpdateVersionTest, DirectoryThatCannotBeSearchedGivesZero) {
  platform::SetExecutableDirectoryForTesting("/nonexistent/zelvo/updates");
  EXPECT_EQ(NewestUpdateVersion(kFirmwareStem), 0);
  platform::SetExecutableDirectoryForTesting("");
}

TEST(VersionFromExtensionTest, PointAndThreeDigits) {
  struct Case {
    std::string extension;
    uint16_t version;
  };
  const Case cases[] = {
      {".105", 105},
      {".099", 99},
      {".001", 1},
      {".000", 0},
      {".999", 999},
      {".1a5", 0},
      {".12", 0},
      {".1234", 0},
      {"", 0},
      {".", 0},
      {".-12", 0},
      {". 12", 0},
      {".12 ", 0},
      {"x123", 123},
      {".12/", 0},
      {".12:", 0},
      {".\x80"
       "12",
       0},
      {std::string(".1\0"
                   "2",
                   4),
       0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionFromExtension(c.extension), c.version) << '"' << c.extension << '"';
  }
}

}  // namespace
}  // namespace zelvo
