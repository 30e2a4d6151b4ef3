// The generated logic files as the program itself reads them.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "logic/jedec_reader.h"
#include "platform/recording_feedback.h"
#include "tools/update_images.h"

namespace zelvo::tools {
namespace {

TEST(JedecImageTest, ReaderGetsTheRowsTheGeneratorWrote) {
  std::string pattern = std::filesystem::temp_directory_path() / "zelvo-jedec-XXXXXX";
  std::filesystem::path dir = mkdtemp(pattern.data());
  for (bool crlf : {false, true}) {
    for (const char* stem : {"SWDJED20", "SWDJED21"}) {
      LogicImage image = MakeLogicImage(stem, 12, crlf);
      ASSERT_TRUE(WriteUpdateFile(dir.string(), UpdateFileName(stem, 12), image.text));
      FuseMap map;
      platform::RecordingFeedback feedback;
      EXPECT_TRUE(ReadJedecFile((dir / UpdateFileName(stem, 12)).string(), map, feedback));
      EXPECT_TRUE(feedback.MessageTexts().empty());
      for (size_t row = 0; row < map.rows.size(); ++row) {
        EXPECT_EQ(map.rows[row], image.rows[row]) << stem << " row " << row;
      }
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zelvo::tools
