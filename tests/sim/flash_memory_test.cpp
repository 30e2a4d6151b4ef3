#include "sim/flash_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelvo::sim {
namespace {

TEST(SimFlash, ProgrammingOnlyClearsBits) {
  FlashMemory flash;
  const uint8_t first[] = {0xF0, 0x0F, 0xAA};
  const uint8_t second[] = {0x3C, 0xFF, 0x55};
  ASSERT_EQ(flash.Program(0x01040000, first, 3), FlashStatus::kOk);
  ASSERT_EQ(flash.Program(0x01040000, second, 3), FlashStatus::kOk);
  EXPECT_EQ(flash.Read(0x01040000, 4), (std::vector<uint8_t>{0x30, 0x0F, 0x00, 0xFF}));
  ASSERT_EQ(flash.Erase(0x01040000), FlashStatus::kOk);
  EXPECT_EQ(flash.Read(0x01040000, 3), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST(SimFlash, EraseOnlyAtTheStartOfASectorItMayErase) {
  struct Case {
    uint32_t address;
    FlashStatus status;
  };
  const Case cases[] = {
      {0x01008000, FlashStatus::kOk},
      {0x0100C000, FlashStatus::kOk},
      {0x01010000, FlashStatus::kOk},
      {0x01040000, FlashStatus::kOk},
      {0x01080000, FlashStatus::kOk},
      {0x010C0000, FlashStatus::kOk},
      {0x01000000, FlashStatus::kLoaderSector},
      {0x01040001, FlashStatus::kNotSectorStart},
      {0x01020000, FlashStatus::kNotSectorStart},
      {0x01100000, FlashStatus::kOutsideMap},
      {0x00FFFFFF, FlashStatus::kOutsideMap},
  };
  for (const Case& c : cases) {
    FlashMemory flash;
    std::vector<uint8_t> zeros(FlashMemory::kSize, 0x00);
    flash.Store(FlashMemory::kBase, zeros.data(), zeros.size());
    EXPECT_EQ(flash.Erase(c.address), c.status) << std::hex << c.address;
    const FlashSector* sector = FlashMemory::SectorAt(c.address);
    if (c.status == FlashStatus::kOk) {
      // The whole sector and nothing beyond it.
      EXPECT_EQ(flash.At(sector->start), 0xFF);
      EXPECT_EQ(flash.At(sector->start + sector->size - 1), 0xFF);
      EXPECT_EQ(flash.At(sector->start - 1), 0x00);
      if (sector->start + sector->size < FlashMemory::kEnd) {
        EXPECT_EQ(flash.At(sector->start + sector->size), 0x00);
      }
    } else {
      EXPECT_EQ(flash.contents(), zeros) << std::hex << c.address;
    }
  }
}

TEST(SimFlash, ProgramOutsideItsSectorWritesNothing) {
  struct Case {
    uint32_t address;
    size_t count;
    FlashStatus status;
  };
  const Case cases[] = {
      {0x0100BFFC, 4, FlashStatus::kOk},             // last four bytes of a sector
      {0x0100BFFE, 4, FlashStatus::kCrossesSector},  // over the end of 0x01008000
      {0x01007FFE, 4, FlashStatus::kLoaderSector},   // in the loader's own sector
      {0x01000000, 1, FlashStatus::kLoaderSector},
      {0x010FFFFE, 4, FlashStatus::kOutsideMap},  // over the end of the flash
      {0x00FFFFFE, 4, FlashStatus::kOutsideMap},
      {0xFFFFFFFE, 4, FlashStatus::kOutsideMap},  // the address range itself would wrap
  };
  for (const Case& c : cases) {
    FlashMemory flash;
    std::vector<uint8_t> data(c.count, 0x00);
    EXPECT_EQ(flash.Program(c.address, data.data(), c.count), c.status) << std::hex << c.address;
    size_t zeros = std::count(flash.contents().begin(), flash.contents().end(), 0x00);
    EXPECT_EQ(zeros, c.status == FlashStatus::kOk ? c.count : 0u) << std::hex << c.address;
  }
}

TEST(SimFlash, ReadsOutsideTheMapAsFF) {
  FlashMemory flash;
  const uint8_t data[] = {0x12, 0x34};
  flash.Store(FlashMemory::kEnd - 2, data, 2);
  EXPECT_EQ(flash.Read(FlashMemory::kEnd - 2, 4), (std::vector<uint8_t>{0x12, 0x34, 0xFF, 0xFF}));
  EXPECT_EQ(flash.Read(0xFFFFFFFF, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

}  // namespace
}  // namespace zelvo::sim
