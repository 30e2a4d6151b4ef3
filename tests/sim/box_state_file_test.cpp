#include "sim/box_state_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/box_versions.h"

namespace zelvo::sim {
namespace {

class SimStateFile : public ::testing::Test {
 protected:
  SimStateFile() {
    path_ = ::testing::TempDir() + "zelvo9_sim_state_" + std::to_string(getpid()) + ".txt";
  }
  ~SimStateFile() override {
    std::remove(path_.c_str());
    std::remove((path_ + ".tmp").c_str());
  }
  void Write(const std::string& text) { std::ofstream(path_) << text; }
  std::string Read() {
    std::stringstream text;
    text << std::ifstream(path_).rdbuf();
    return text.str();
  }

  std::string path_;
};

TEST_F(SimStateFile, AnUpdatedBoxIsStillUpdatedInTheNextRun) {
  Box updated;
  updated.set_loader_version(0);
  ASSERT_TRUE(updated.set_serial("123456789C"));
  updated.set_device_type(18);
  const uint8_t image[] = {0xAA, 0x55, 0x55, 0xAA, 0x30, 0x11, 0x00, 0x10};
  updated.flash().Store(0x01040000, image, sizeof image);
  const uint8_t last = 0x00;
  updated.flash().Store(FlashMemory::kEnd - 1, &last, 1);
  std::string row(240, '1');
  row[0] = row[239] = '0';
  ASSERT_TRUE(updated.logic().RestoreRow(133, row));
  ASSERT_TRUE(updated.logic().RestoreSignature(SignatureFuses("B6001E>012")));
  std::string error;
  ASSERT_TRUE(SaveBoxState(updated, path_, error)) << error;

  Box next;
  ASSERT_TRUE(LoadBoxState(next, path_, error)) << error;
  EXPECT_EQ(next.loader_version(), 0);
  EXPECT_EQ(next.serial(), "123456789C");
  EXPECT_EQ(next.logic().device_type(), 18);
  EXPECT_TRUE(next.flash().contents() == updated.flash().contents());
  EXPECT_EQ(next.logic().row(133), row);
  EXPECT_EQ(next.logic().row(0), std::string(240, '1'));
  EXPECT_EQ(next.logic().signature(), updated.logic().signature());
  EXPECT_EQ(next.firmware_raw_version(), 0x3011);
  EXPECT_EQ(next.logic_raw_version(), 14012);
  // An erased box writes no flash lines at all.
  ASSERT_TRUE(SaveBoxState(Box(), path_, error));
  EXPECT_EQ(Read().find("flash "), std::string::npos);
}

TEST_F(SimStateFile, ABadFileChangesNothing) {
  Box good;
  const uint8_t data[] = {0x12};
  good.flash().Store(0x01008000, data, 1);
  std::string error;
  ASSERT_TRUE(SaveBoxState(good, path_, error));
  std::string saved = Read();
  std::string head = saved.substr(0, saved.find("flash "));

  const std::string broken[] = {
      saved.substr(0, saved.size() - 4),                          // cut short: no end line
      "something else 1\n" + saved.substr(saved.find('\n') + 1),  // not our file
      head + "flash 01008000 1\nend\n",                           // odd hex
      head + "flash 010FFFFF 1234\nend\n",                        // past the end of the flash
      head + "row 134 " + std::string(240, '0') + "\nend\n",      // no such row
      head + "row 1 " + std::string(239, '0') + "\nend\n",        // short row
      head + "serial 123\nend\n",
      head + "colour blue\nend\n",
      saved + "flash 01008000 00\n",  // after the end
      "",
  };
  for (const std::string& text : broken) {
    Write(text);
    Box box;
    box.set_serial("87654321");
    EXPECT_FALSE(LoadBoxState(box, path_, error)) << text.substr(0, 60);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(box.serial(), "87654321");
    EXPECT_EQ(box.flash().At(0x01008000), 0xFF);
  }
  std::remove(path_.c_str());
  Box box;
  EXPECT_FALSE(LoadBoxState(box, path_, error)) << "no file";
}

}  // namespace
}  // namespace zelvo::sim
