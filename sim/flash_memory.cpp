#include "sim/flash_memory.h"

#include <algorithm>
#include <array>

namespace zelvo::sim {
namespace {

constexpr std::array<FlashSector, 7> kSectors = {{
    {0x01000000, 0x8000, true},
    {0x01008000, 0x4000, false},
    {0x0100C000, 0x4000, false},
    {0x01010000, 0x30000, false},
    {0x01040000, 0x40000, false},
    {0x01080000, 0x40000, false},
    {0x010C0000, 0x40000, false},
}};

}  // namespace

std::span<const FlashSector> FlashMemory::Sectors() {
  return kSectors;
}

const FlashSector* FlashMemory::SectorAt(uint32_t address) {
  for (const FlashSector& sector : kSectors) {
    if (address >= sector.start && address - sector.start < sector.size) return &sector;
  }
  return nullptr;
}

FlashStatus FlashMemory::Erase(uint32_t address) {
  const FlashSector* sector = SectorAt(address);
  if (sector == nullptr) return FlashStatus::kOutsideMap;
  if (sector->start != address) return FlashStatus::kNotSectorStart;
  if (sector->loader_owned) return FlashStatus::kLoaderSector;
  std::fill_n(bytes_.begin() + (sector->start - kBase), sector->size, 0xFF);
  return FlashStatus::kOk;
}

FlashStatus FlashMemory::Program(uint32_t address, const uint8_t* data, size_t count) {
  const FlashSector* sector = SectorAt(address);
  if (sector == nullptr) return FlashStatus::kOutsideMap;
  if (sector->loader_owned) return FlashStatus::kLoaderSector;
  // 64-bit sums: an address near the top of the 32-bit range cannot wrap around.
  uint64_t end = uint64_t{address} + count;
  if (end > uint64_t{sector->start} + sector->size) {
    return end > kEnd ? FlashStatus::kOutsideMap : FlashStatus::kCrossesSector;
  }
  uint8_t* target = bytes_.data() + (address - kBase);
  for (size_t i = 0; i < count; ++i) target[i] &= data[i];
  return FlashStatus::kOk;
}

uint8_t FlashMemory::At(uint32_t address) const {
  if (address < kBase || address >= kEnd) return 0xFF;
  return bytes_[address - kBase];
}

std::vector<uint8_t> FlashMemory::Read(uint32_t address, size_t count) const {
  std::vector<uint8_t> out(count, 0xFF);
  for (size_t i = 0; i < count; ++i) {
    uint64_t at = uint64_t{address} + i;
    if (at >= kBase && at < kEnd) out[i] = bytes_[at - kBase];
  }
  return out;
}

void FlashMemory::Store(uint32_t address, const uint8_t* data, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint64_t at = uint64_t{address} + i;
    if (at >= kBase && at < kEnd) bytes_[at - kBase] = data[i];
  }
}

void FlashMemory::Clear() {
  std::fill(bytes_.begin(), bytes_.end(), 0xFF);
}

}  // namespace zelvo::sim
