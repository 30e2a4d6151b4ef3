#include "tools/update_images.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zelvo::tools {
namespace {

// The starts of the box's flash sectors (and the end of its flash): no record crosses one.
constexpr uint32_t kSectorStarts[] = {0x01008000, 0x0100C000, 0x01010000, 0x01040000,
                                      0x01080000, 0x010C0000, 0x01100000};

constexpr size_t kMaxRecordBytes = 120;

// SplitMix64: small, fast and the same on every platform.
class PseudoRandom {
 public:
  explicit PseudoRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_;
};

uint64_t TextHash(const std::string& text) {
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::string Hex(uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    text[static_cast<size_t>(i)] = kDigits[value & 15];
  return text;
}

int AddressBytes(char recordType) {
  return recordType == '1' ? 2 : recordType == '2' ? 3 : 4;
}

// One S-record line: type, byte count, address, data and checksum, with its line end.
std::string Record(char type, int addressBytes, uint32_t address, const uint8_t* data, size_t count,
                   const char* lineEnd) {
  size_t byteCount = static_cast<size_t>(addressBytes) + count + 1;
  std::string line = "S";
  line += type;
  line += Hex(byteCount, 2);
  unsigned sum = static_cast<unsigned>(byteCount);
  for (int i = addressBytes - 1; i >= 0; --i) {
    uint8_t byte = static_cast<uint8_t>(address >> (8 * i));
    line += Hex(byte, 2);
    sum += byte;
  }
  for (size_t i = 0; i < count; ++i) {
    line += Hex(data[i], 2);
    sum += data[i];
  }
  line += Hex(~sum & 0xFF, 2);
  line += lineEnd;
  return line;
}

// How many bytes from `address` on fit into one record before the next sector start.
size_t BytesBeforeSectorStart(uint64_t address, size_t wanted) {
  for (uint32_t start : kSectorStarts) {
    if (address < start) return static_cast<size_t>(std::min<uint64_t>(wanted, start - address));
  }
  return wanted;
}

std::string ThreeDigits(uint16_t version) {
  char text[8];
  std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(version % 1000));
  return text;
}

}  // namespace

std::string CheckFirmwareImageOptions(const FirmwareImageOptions& options) {
  if (options.version > 999) return "the version must lie between 0 and 999";
  if (options.size < 2 || options.size > kMaxFirmwareBytes) {
    return "the size must lie between 2 and " + std::to_string(kMaxFirmwareBytes) + " bytes";
  }
  if (options.record_bytes < 4 || options.record_bytes > kMaxRecordBytes ||
      options.record_bytes % 4 != 0) {
    return "the record length must be a multiple of 4 from 4 to " +
           std::to_string(kMaxRecordBytes) + " bytes";
  }
  if (options.record_type != '1' && options.record_type != '2' && options.record_type != '3') {
    return "the record type must be 1, 2 or 3";
  }
  if (options.address % 4 != 0) return "the start address must be a multiple of 4";
  uint64_t last = uint64_t{options.address} + options.size - 1;
  uint64_t limit = options.record_type == '1'   ? 0xFFFFu
                   : options.record_type == '2' ? 0xFFFFFFu
                                                : 0xFFFFFFFFu;
  if (last > limit) {
    return std::string("the image does not fit the addresses of S") + options.record_type +
           " records";
  }
  return std::string();
}

std::optional<FirmwareImage> MakeFirmwareImage(const FirmwareImageOptions& options,
                                               std::string* error) {
  std::string problem = CheckFirmwareImageOptions(options);
  if (!problem.empty()) {
    if (error != nullptr) *error = problem;
    return std::nullopt;
  }
  const char* lineEnd = options.crlf ? "\r\n" : "\n";

  FirmwareImage image;
  image.address = options.address;
  image.data.resize(options.size);
  uint16_t versionWord = static_cast<uint16_t>(kFirmwareVersionWordBase + options.version);
  image.data[0] = static_cast<uint8_t>(versionWord >> 8);
  image.data[1] = static_cast<uint8_t>(versionWord);
  PseudoRandom random(0x5A56395357444744ull ^ options.version);
  for (size_t i = 2; i < image.data.size(); ++i)
    image.data[i] = static_cast<uint8_t>(random.Next());

  std::string header = "ZELVO9 firmware " + ThreeDigits(options.version);
  image.text +=
      Record('0', 2, 0, reinterpret_cast<const uint8_t*>(header.data()), header.size(), lineEnd);
  const int addressBytes = AddressBytes(options.record_type);
  for (size_t offset = 0; offset < image.data.size();) {
    uint64_t address = uint64_t{options.address} + offset;
    size_t count =
        BytesBeforeSectorStart(address, std::min(options.record_bytes, image.data.size() - offset));
    image.text += Record(options.record_type, addressBytes, static_cast<uint32_t>(address),
                         image.data.data() + offset, count, lineEnd);
    offset += count;
  }
  char endType = options.record_type == '1' ? '9' : options.record_type == '2' ? '8' : '7';
  image.text += Record(endType, addressBytes, options.address, nullptr, 0, lineEnd);
  return image;
}

LogicImage MakeLogicImage(const std::string& stem, uint16_t version, bool crlf) {
  const char* lineEnd = crlf ? "\r\n" : "\n";
  PseudoRandom random(TextHash(stem) ^ (uint64_t{version} << 32));

  LogicImage image;
  image.rows.assign(kLogicRows, std::string());
  for (std::string& row : image.rows) {
    row.reserve(kLogicRowFuses);
    for (int fuse = 0; fuse < kLogicRowFuses; fuse += 64) {
      uint64_t bits = random.Next();
      for (int bit = 0; bit < 64 && fuse + bit < kLogicRowFuses; ++bit) {
        row += (bits >> bit & 1) != 0 ? '1' : '0';
      }
    }
  }

  std::string& text = image.text;
  text += "ZELVO9 SWD interface logic " + stem + " version " + ThreeDigits(version) + lineEnd;
  for (const char* field : {"*QP44", "*QF32160", "*G0", "*F0", "*L00000"}) {
    text += field;
    text += lineEnd;
  }
  // The fuse checksum: the 16-bit sum of the fuses taken eight at a time, the first fuse of
  // each group as the lowest bit.
  unsigned checksum = 0;
  unsigned group = 0;
  int fuseIndex = 0;
  for (const std::string& row : image.rows) {
    for (size_t piece = 0; piece < row.size(); piece += 60) {
      text.append(row, piece, 60);
      text += lineEnd;
    }
    for (char fuse : row) {
      if (fuse == '1') group |= 1u << (fuseIndex % 8);
      if (++fuseIndex % 8 == 0) {
        checksum += group;
        group = 0;
      }
    }
  }
  checksum += group;
  text += "*C" + Hex(checksum & 0xFFFF, 4) + lineEnd;
  text += std::string("*") + lineEnd;
  return image;
}

std::string UpdateFileName(const std::string& stem, uint16_t version) {
  return stem + "." + ThreeDigits(version);
}

bool WriteUpdateFile(const std::string& directory, const std::string& name, const std::string& text,
                     std::string* error) {
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  std::filesystem::path path = std::filesystem::path(directory) / name;
  if (!failure) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out) return true;
  }
  if (error != nullptr) *error = "cannot write " + path.string();
  return false;
}

}  // namespace zelvo::tools
