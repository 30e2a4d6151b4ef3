// zelvo9-mkupdates: writes a set of update files of our own (firmware ZV9SWDGD.nnn, logic
// SWDJED20.nnn and SWDJED21.nnn) into a directory, for tests and the demo.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/update_images.h"

namespace {

constexpr const char* kUsage =
    "Usage: zelvo9-mkupdates --dir DIR [--firmware N] [--logic N] [options]\n"
    "Writes update files into DIR (created when missing):\n"
    "  --firmware N        ZV9SWDGD.N, a Motorola S-record firmware image (N: 0 to 999)\n"
    "  --logic N           SWDJED20.N and SWDJED21.N, JEDEC fuse maps (N: 0 to 999)\n"
    "Firmware options:\n"
    "  --size BYTES        data bytes, version word included (default 204800)\n"
    "  --record-bytes N    data bytes per record, a multiple of 4 up to 120 (default 32)\n"
    "  --record-type 1|2|3 S1, S2 or S3 data records (default 3)\n"
    "  --address A         where the data start (default 0x01040004)\n"
    "Both:\n"
    "  --crlf              CR LF line ends instead of LF\n"
    "  --help              this text\n";

bool ParseNumber(const char* text, uint64_t limit, uint64_t& value) {
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  const char* end = text + std::strlen(text);
  auto [rest, failure] = std::from_chars(text, end, value, base);
  return failure == std::errc() && rest == end && rest != text && value <= limit;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zelvo9-mkupdates: %s\n", message.c_str());
  return 2;
}

bool Write(const std::string& directory, const std::string& name, const std::string& text) {
  std::string error;
  if (!zelvo::tools::WriteUpdateFile(directory, name, text, &error)) {
    std::fprintf(stderr, "zelvo9-mkupdates: %s\n", error.c_str());
    return false;
  }
  std::printf("%s/%s\n", directory.c_str(), name.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string directory;
  bool firmware = false;
  bool logic = false;
  uint16_t logicVersion = 0;
  bool crlf = false;
  zelvo::tools::FirmwareImageOptions options;

  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (option == "--crlf") {
      crlf = true;
      continue;
    }
    if (i + 1 >= argc) return Fail("unknown option or missing value: " + option);
    const char* value = argv[++i];
    uint64_t number = 0;
    if (option == "--dir") {
      directory = value;
    } else if (option == "--firmware" || option == "--logic") {
      if (!ParseNumber(value, 999, number)) return Fail(option + " needs a version from 0 to 999");
      if (option == "--firmware") {
        firmware = true;
        options.version = static_cast<uint16_t>(number);
      } else {
        logic = true;
        logicVersion = static_cast<uint16_t>(number);
      }
    } else if (option == "--size" || option == "--record-bytes") {
      if (!ParseNumber(value, zelvo::tools::kMaxFirmwareBytes, number)) {
        return Fail(option + " needs a number");
      }
      (option == "--size" ? options.size : options.record_bytes) = static_cast<size_t>(number);
    } else if (option == "--record-type") {
      if (std::strlen(value) != 1) return Fail("--record-type needs 1, 2 or 3");
      options.record_type = value[0];
    } else if (option == "--address") {
      if (!ParseNumber(value, 0xFFFFFFFFu, number)) return Fail("--address needs a 32-bit number");
      options.address = static_cast<uint32_t>(number);
    } else {
      return Fail("unknown option: " + option);
    }
  }
  if (directory.empty()) return Fail("--dir is required (see --help)");
  if (!firmware && !logic) return Fail("nothing to write: give --firmware and/or --logic");

  options.crlf = crlf;
  if (firmware) {
    std::string error;
    auto image = zelvo::tools::MakeFirmwareImage(options, &error);
    if (!image) return Fail(error);
    if (!Write(directory, zelvo::tools::UpdateFileName("ZV9SWDGD", options.version), image->text)) {
      return 1;
    }
  }
  if (logic) {
    for (const char* stem : {"SWDJED20", "SWDJED21"}) {
      auto image = zelvo::tools::MakeLogicImage(stem, logicVersion, crlf);
      if (!Write(directory, zelvo::tools::UpdateFileName(stem, logicVersion), image.text)) return 1;
    }
  }
  return 0;
}
