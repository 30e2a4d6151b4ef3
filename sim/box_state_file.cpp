#include "sim/box_state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zelvo::sim {
namespace {

constexpr const char* kMagic = "zelvo9-sim-state";
constexpr int kFormat = 1;
constexpr uint32_t kFlashLineBytes = 32;

const char kHex[] = "0123456789ABCDEF";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out) {
  if (text.empty() || text.size() % 2 != 0) return false;
  out.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = HexDigit(text[i]);
    int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value, int base = 10) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long result = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return false;
    result = result * base + digit;
  }
  if (result > max) return false;
  value = result;
  return true;
}

bool IsErasedRow(const std::string& row) {
  return row.find('0') == std::string::npos;
}

}  // namespace

bool SaveBoxState(const Box& box, const std::string& path, std::string& error) {
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot write " + temp + ": " + std::strerror(errno);
      return false;
    }
    out << kMagic << ' ' << kFormat << '\n';
    out << "loader-version " << box.loader_version() << '\n';
    out << "serial " << box.serial() << '\n';
    out << "device-type " << unsigned{box.logic().device_type()} << '\n';
    out << "signature " << box.logic().signature() << '\n';
    for (int row = 0; row < LogicDevice::kRows; ++row) {
      const std::string& fuses = box.logic().row(row);
      if (!IsErasedRow(fuses)) out << "row " << row << ' ' << fuses << '\n';
    }
    const std::vector<uint8_t>& flash = box.flash().contents();
    std::string line;
    for (uint32_t offset = 0; offset < FlashMemory::kSize; offset += kFlashLineBytes) {
      bool erased = true;
      for (uint32_t i = 0; i < kFlashLineBytes; ++i) erased = erased && flash[offset + i] == 0xFF;
      if (erased) continue;
      char address[9];
      std::snprintf(address, sizeof address, "%08X", FlashMemory::kBase + offset);
      line.assign("flash ").append(address).push_back(' ');
      for (uint32_t i = 0; i < kFlashLineBytes; ++i) {
        line.push_back(kHex[flash[offset + i] >> 4]);
        line.push_back(kHex[flash[offset + i] & 0x0F]);
      }
      out << line << '\n';
    }
    out << "end\n";
    out.flush();
    if (!out) {
      error = "cannot write " + temp + ": " + std::strerror(errno);
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool LoadBoxState(Box& box, const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }

  FlashMemory flash;
  LogicDevice logic;
  unsigned long loader_version = Box::kDefaultLoaderVersion;
  std::string serial = Box::kDefaultSerial;
  unsigned long device_type = LogicDevice::kDefaultDeviceType;
  bool header_seen = false;
  bool end_seen = false;
  std::string line;
  int line_number = 0;
  std::vector<uint8_t> bytes;

  auto fail = [&](const std::string& why) {
    error = path + ":" + std::to_string(line_number) + ": " + why;
    return false;
  };

  while (std::getline(in, line)) {
    ++line_number;
    if (end_seen) return fail("text after the end line");
    std::istringstream fields(line);
    std::string key, first, second, extra;
    fields >> key >> first >> second >> extra;
    if (!extra.empty()) return fail("too many fields");
    if (!header_seen) {
      if (key != kMagic || first != std::to_string(kFormat) || !second.empty()) {
        return fail("not a zelvo9-sim state file of format " + std::to_string(kFormat));
      }
      header_seen = true;
    } else if (key == "loader-version" && second.empty()) {
      if (!ParseNumber(first, 0xFFFF, loader_version)) return fail("bad loader version");
    } else if (key == "serial" && second.empty()) {
      if (first.size() != 8 && first.size() != 10) return fail("a serial has 8 or 10 characters");
      serial = first;
    } else if (key == "device-type" && second.empty()) {
      if (!ParseNumber(first, 0xFF, device_type)) return fail("bad device type");
    } else if (key == "signature" && second.empty()) {
      if (!logic.RestoreSignature(first)) return fail("a signature is 120 fuses '0'/'1'");
    } else if (key == "row") {
      unsigned long row = 0;
      if (!ParseNumber(first, LogicDevice::kRows - 1, row)) return fail("bad row number");
      if (!logic.RestoreRow(static_cast<int>(row), second)) {
        return fail("a row is 240 fuses '0'/'1'");
      }
    } else if (key == "flash") {
      unsigned long address = 0;
      if (first.size() != 8 || !ParseNumber(first, 0xFFFFFFFF, address, 16)) {
        return fail("bad flash address");
      }
      if (!ParseHexBytes(second, bytes) || bytes.size() > kFlashLineBytes) {
        return fail("bad flash bytes");
      }
      if (address < FlashMemory::kBase || address + bytes.size() > FlashMemory::kEnd) {
        return fail("flash bytes outside the flash");
      }
      flash.Store(static_cast<uint32_t>(address), bytes.data(), bytes.size());
    } else if (key == "end" && first.empty()) {
      end_seen = true;
    } else {
      return fail("unknown line");
    }
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  if (!end_seen) return fail("the file ends without its end line (cut short?)");

  logic.set_device_type(static_cast<uint8_t>(device_type));
  box.flash() = flash;
  box.logic() = logic;
  box.set_loader_version(static_cast<uint16_t>(loader_version));
  box.set_serial(serial);
  return true;
}

}  // namespace zelvo::sim
