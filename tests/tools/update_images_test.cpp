#include "tools/update_images.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "firmware/srecord_decoder.h"

namespace zelvo::tools {
namespace {

std::vector<std::string> Lines(const std::string& text, const std::string& end = "\n") {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size()) {
    lines.push_back(text.substr(start, at - start));
  }
  EXPECT_EQ(start, text.size()) << "the text ends with a line end";
  return lines;
}

// What the data records of a file put where: decoded with the update's own decoder, checking
// that every line is a clean record.
struct Decoded {
  std::vector<std::string> lines;
  std::vector<uint32_t> addresses;
  std::vector<int> counts;
  std::vector<uint8_t> data;  // all data bytes joined, in file order
};

Decoded DecodeAll(const std::string& text) {
  Decoded d;
  d.lines = Lines(text);
  for (const std::string& line : d.lines) {
    EXPECT_LE(line.size() + 1, 255u) << line;
    std::array<uint8_t, 256> buffer{};
    uint32_t address = 0;
    int count = DecodeSRecordLine(line + "\n", address, buffer);
    EXPECT_GE(count, 0) << line;
    if (count <= 0) continue;
    d.addresses.push_back(address);
    d.counts.push_back(count);
    d.data.insert(d.data.end(), buffer.begin(), buffer.begin() + count);
  }
  return d;
}

uint8_t ChecksumOf(const std::string& line) {
  unsigned sum = 0;
  for (size_t i = 2; i + 1 < line.size(); i += 2) sum += std::stoul(line.substr(i, 2), nullptr, 16);
  return static_cast<uint8_t>(sum);
}

TEST(FirmwareImageTest, DefaultImageIsContiguousS3DataAfterTheMarkerWord) {
  FirmwareImageOptions options;
  options.version = 105;
  auto image = MakeFirmwareImage(options);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->address, 0x01040004u);
  ASSERT_EQ(image->data.size(), 200u * 1024);
  EXPECT_EQ(image->data[0], 0x30);
  EXPECT_EQ(image->data[1], 0x69);  // 0x3000 + 105

  Decoded d = DecodeAll(image->text);
  ASSERT_GE(d.lines.size(), 3u);
  EXPECT_EQ(d.lines.front().substr(0, 2), "S0");
  EXPECT_EQ(d.lines.back(), "S70501040004F1");
  for (size_t i = 1; i + 1 < d.lines.size(); ++i) {
    ASSERT_EQ(d.lines[i].substr(0, 4), "S325") << i;  // 4 address + 32 data + 1 checksum
  }
  EXPECT_EQ(d.data, image->data);
  for (size_t i = 0; i < d.addresses.size(); ++i) {
    EXPECT_EQ(d.addresses[i], 0x01040004u + 32 * i);
  }
  for (const std::string& line : d.lines) {
    EXPECT_EQ(ChecksumOf(line), 0xFF) << line;  // count + address + data + checksum
    EXPECT_EQ(line.find_first_not_of("S0123456789ABCDEF"), std::string::npos) << line;
  }
}

TEST(FirmwareImageTest, SameVersionSameFileOtherVersionOtherContents) {
  FirmwareImageOptions a;
  a.version = 105;
  FirmwareImageOptions b = a;
  b.version = 106;
  auto first = MakeFirmwareImage(a);
  auto again = MakeFirmwareImage(a);
  auto other = MakeFirmwareImage(b);
  ASSERT_TRUE(first && again && other);
  EXPECT_EQ(first->text, again->text);
  EXPECT_EQ(other->data[1], 0x6A);
  size_t same = 0;
  for (size_t i = 2; i < first->data.size(); ++i) same += first->data[i] == other->data[i];
  EXPECT_LT(same, first->data.size() / 64) << "the bytes after the version word differ";
}

TEST(FirmwareImageTest, CrLfLineEndsChangeNothingElse) {
  FirmwareImageOptions options;
  options.size = 1000;
  auto lf = MakeFirmwareImage(options);
  options.crlf = true;
  auto crlf = MakeFirmwareImage(options);
  ASSERT_TRUE(lf && crlf);
  EXPECT_EQ(Lines(crlf->text, "\r\n"), Lines(lf->text));
}

TEST(FirmwareImageTest, RecordTypesSizesAndLengths) {
  struct Case {
    char type;
    uint32_t address;
    size_t size, record_bytes;
    const char* end_record;
  };
  const Case cases[] = {
      {'1', 0x1000, 1027, 16, "S9031000EC"},
      {'2', 0x040000, 333, 120, "S804040000F7"},
      {'3', 0x01040004, 13, 4, "S70501040004F1"},
      {'3', 0x01040004, 2, 32, "S70501040004F1"},
  };
  for (const Case& c : cases) {
    FirmwareImageOptions options;
    options.version = 7;
    options.record_type = c.type;
    options.address = c.address;
    options.size = c.size;
    options.record_bytes = c.record_bytes;
    auto image = MakeFirmwareImage(options);
    ASSERT_TRUE(image) << c.type;
    Decoded d = DecodeAll(image->text);
    EXPECT_EQ(d.data, image->data);
    EXPECT_EQ(d.data.size(), c.size);
    EXPECT_EQ(d.lines.back(), c.end_record);
    for (size_t i = 1; i + 1 < d.lines.size(); ++i) EXPECT_EQ(d.lines[i][1], c.type);
    for (size_t i = 0; i < d.counts.size(); ++i) {
      size_t expected = std::min(c.record_bytes, c.size - i * c.record_bytes);
      EXPECT_EQ(d.counts[i], static_cast<int>(expected)) << i;
      EXPECT_EQ(d.addresses[i], c.address + i * c.record_bytes) << i;
    }
  }
}

TEST(FirmwareImageTest, NoRecordReachesAcrossASectorStart) {
  FirmwareImageOptions options;
  options.size = 600 * 1024;  // into the third firmware sector
  options.record_bytes = 120;
  auto image = MakeFirmwareImage(options);
  ASSERT_TRUE(image);
  Decoded d = DecodeAll(image->text);
  EXPECT_EQ(d.data, image->data);
  for (size_t i = 0; i < d.addresses.size(); ++i) {
    EXPECT_EQ(d.addresses[i] % 4, 0u);
    uint32_t end = d.addresses[i] + (static_cast<uint32_t>(d.counts[i]) + 3) / 4 * 4;  // padded
    for (uint32_t sector : {0x01080000u, 0x010C0000u}) {
      EXPECT_FALSE(d.addresses[i] < sector && end > sector) << std::hex << d.addresses[i];
    }
  }
}

TEST(FirmwareImageTest, OptionsThatCannotGiveAnImage) {
  auto with = [](auto change) {
    FirmwareImageOptions options;
    change(options);
    return options;
  };
  const FirmwareImageOptions cases[] = {
      with([](FirmwareImageOptions& o) { o.version = 1000; }),
      with([](FirmwareImageOptions& o) { o.size = 1; }),
      with([](FirmwareImageOptions& o) { o.size = kMaxFirmwareBytes + 1; }),
      with([](FirmwareImageOptions& o) { o.record_bytes = 0; }),
      with([](FirmwareImageOptions& o) { o.record_bytes = 30; }),
      with([](FirmwareImageOptions& o) { o.record_bytes = 124; }),
      with([](FirmwareImageOptions& o) { o.record_type = '4'; }),
      with([](FirmwareImageOptions& o) { o.record_type = '1'; }),  // 0x01040004 needs 32 bits
      with([](FirmwareImageOptions& o) { o.record_type = '2'; }),
      with([](FirmwareImageOptions& o) { o.address = 0x01040002; }),
      with([](FirmwareImageOptions& o) { o.address = 0xFFFFFF00; }),  // runs past 32 bits
  };
  for (const FirmwareImageOptions& options : cases) {
    std::string error;
    EXPECT_FALSE(MakeFirmwareImage(options, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(CheckFirmwareImageOptions(options), error);
  }
  EXPECT_EQ(CheckFirmwareImageOptions(FirmwareImageOptions{}), "");
}

TEST(LogicImageTest, JedecLayoutAndRows) {
  LogicImage image = MakeLogicImage("SWDJED20", 12);
  ASSERT_EQ(image.rows.size(), 134u);
  for (const std::string& row : image.rows) {
    ASSERT_EQ(row.size(), 240u);
    ASSERT_EQ(row.find_first_not_of("01"), std::string::npos);
  }
  EXPECT_EQ(image.text.find_first_of(std::string("\x02\x03\r\0", 4)), std::string::npos);

  std::vector<std::string> lines = Lines(image.text);
  ASSERT_EQ(lines.size(), 6u + 134 * 4 + 2);
  EXPECT_NE(lines[0].find("SWDJED20"), std::string::npos);
  EXPECT_NE(lines[0].find("012"), std::string::npos);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 6),
            (std::vector<std::string>{"*QP44", "*QF32160", "*G0", "*F0", "*L00000"}));
  for (size_t row = 0; row < 134; ++row) {
    std::string joined;
    for (size_t piece = 0; piece < 4; ++piece) {
      const std::string& line = lines[6 + row * 4 + piece];
      EXPECT_EQ(line.size(), 60u);
      joined += line;
    }
    EXPECT_EQ(joined, image.rows[row]) << row;
  }
  // Fuse checksum: the sum of the fuse bytes, first fuse of each eight as the lowest bit.
  unsigned checksum = 0;
  std::string fuses;
  for (const std::string& row : image.rows) fuses += row;
  for (size_t i = 0; i < fuses.size(); i += 8) {
    unsigned byte = 0;
    for (size_t bit = 0; bit < 8; ++bit) byte |= (fuses[i + bit] == '1' ? 1u : 0u) << bit;
    checksum += byte;
  }
  char expected[8];
  std::snprintf(expected, sizeof expected, "*C%04X", checksum & 0xFFFF);
  EXPECT_EQ(lines[lines.size() - 2], expected);
  EXPECT_EQ(lines.back(), "*");
}

TEST(LogicImageTest, FusesDependOnStemAndVersionOnly) {
  LogicImage a = MakeLogicImage("SWDJED20", 12);
  EXPECT_EQ(MakeLogicImage("SWDJED20", 12).text, a.text);
  for (const LogicImage& other : {MakeLogicImage("SWDJED21", 12), MakeLogicImage("SWDJED20", 13)}) {
    size_t differing = 0;
    for (size_t row = 0; row < a.rows.size(); ++row) differing += a.rows[row] != other.rows[row];
    EXPECT_EQ(differing, a.rows.size());
  }
  LogicImage crlf = MakeLogicImage("SWDJED20", 12, true);
  EXPECT_EQ(crlf.rows, a.rows);
  EXPECT_EQ(Lines(crlf.text, "\r\n"), Lines(a.text));
}

TEST(UpdateFileNameTest, StemPointThreeDigits) {
  EXPECT_EQ(UpdateFileName("ZV9SWDGD", 105), "ZV9SWDGD.105");
  EXPECT_EQ(UpdateFileName("SWDJED20", 12), "SWDJED20.012");
  EXPECT_EQ(UpdateFileName("SWDJED21", 0), "SWDJED21.000");
}

class WriteUpdateFileTest : public ::testing::Test {
 protected:
  WriteUpdateFileTest() {
    std::string pattern = std::filesystem::temp_directory_path() / "zelvo-tools-XXXXXX";
    dir_ = mkdtemp(pattern.data());
  }
  ~WriteUpdateFileTest() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(WriteUpdateFileTest, WritesBytesAsTheyAreCreatingTheDirectory) {
  std::string text("S0\r\nline\n\0end", 13);
  std::filesystem::path nested = dir_ / "a" / "b";
  ASSERT_TRUE(WriteUpdateFile(nested.string(), "ZV9SWDGD.001", text));
  std::ifstream in(nested / "ZV9SWDGD.001", std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), text);
}

TEST_F(WriteUpdateFileTest, ReportsWhatCannotBeWritten) {
  std::ofstream(dir_ / "plain") << "x";
  std::string error;
  EXPECT_FALSE(WriteUpdateFile((dir_ / "plain").string(), "ZV9SWDGD.001", "S0\n", &error));
  EXPECT_NE(error.find("ZV9SWDGD.001"), std::string::npos);
}

}  // namespace
}  // namespace zelvo::tools
