#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zelvo::sim {

// One erasable block of the box's flash.
struct FlashSector {
  uint32_t start;
  uint32_t size;
  bool loader_owned;  // the loader's own code: never erased or programmed over the line
};

// The status byte the loader puts in its erase and program replies.
enum class FlashStatus : uint8_t {
  kOk = 0x00,
  kOutsideMap = 0x01,      // the address (or part of the range) lies outside the flash
  kLoaderSector = 0x02,    // the range touches the loader's own sector
  kCrossesSector = 0x03,   // the range runs over the end of its sector
  kNotSectorStart = 0x04,  // an erase address that is no sector's first byte
  kBadRequest = 0x05,      // the request's fields do not fit its length
  kDeviceFault = 0x06,     // the flash itself reported a failure (a fault set by a test)
};

// The box's NOR flash: 1 MiB at 0x01000000, 0xFF when erased. Programming can only clear bits
// (the stored byte is old AND new); only an erase sets a whole sector back to 0xFF.
class FlashMemory {
 public:
  static constexpr uint32_t kBase = 0x01000000;
  static constexpr uint32_t kSize = 0x00100000;
  static constexpr uint32_t kEnd = kBase + kSize;

  FlashMemory() : bytes_(kSize, 0xFF) {}

  // The sectors in address order: the loader's 32 KiB, 16 KiB at 0x01008000 and 0x0100C000,
  // 192 KiB at 0x01010000, 256 KiB at 0x01040000, 0x01080000 and 0x010C0000.
  static std::span<const FlashSector> Sectors();
  // The sector holding `address`, or nullptr outside the map.
  static const FlashSector* SectorAt(uint32_t address);

  // Erases the sector that starts at `address`.
  FlashStatus Erase(uint32_t address);
  // Programs `count` bytes at `address`, all of them within one sector that the loader does not
  // own; otherwise nothing is written. A count of 0 writes nothing and succeeds for any address
  // the loader may program.
  FlashStatus Program(uint32_t address, const uint8_t* data, size_t count);
  // The `count` bytes at `address`; a byte outside the map reads as 0xFF, as an unconnected bus.
  std::vector<uint8_t> Read(uint32_t address, size_t count) const;
  uint8_t At(uint32_t address) const;

  // Stores bytes as they are, without NOR rules or sector checks; for loading a saved state and
  // for tests that prepare a box. Bytes outside the map are left out.
  void Store(uint32_t address, const uint8_t* data, size_t count);
  // Everything back to 0xFF, the loader's sector included.
  void Clear();

  const std::vector<uint8_t>& contents() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace zelvo::sim
