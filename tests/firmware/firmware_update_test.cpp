#include "firmware/firmware_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "firmware/update_files.h"
#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "loader/loader_commands.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/recording_feedback.h"
#include "platform/text_file.h"
#include "platform/tick_clock.h"
#include "sim/box.h"
#include "tests/firmware/scratch_directory.h"
#include "tests/firmware/srecord_text.h"
#include "tools/update_images.h"

namespace zelvo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::S3;
using testing::ScratchDirectory;
using Bytes = std::vector<uint8_t>;

constexpr const char* kErasingText = "Firmware: Erasing Flash ...";
constexpr const char* kEraseFailedText = "Firmware: Erasing Flash ... failed!";
constexpr const char* kProgrammingText = "Firmware: Programming Flash ...";
constexpr const char* kFailedText = "Firmware: Programming Flash ... failed!";
constexpr const char* kPassedText = "Firmware: Programming Flash ... passed!";

std::string Progress(unsigned percent) {
  return "Firmware: Programming Flash ... ( " + std::to_string(percent) + "% )";
}

// One ProgramFlash request as the box received it.
struct Programmed {
  uint32_t address;
  Bytes data;
  bool operator==(const Programmed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Programmed& p) {
  out << std::hex << "0x" << p.address << ":";
  for (uint8_t b : p.data) out << " " << int(b);
  return out << std::dec;
}

const Programmed kMarker = {0x01040000, {0xAA, 0x55, 0x55, 0xAA}};

// The simulated box on COM1 at 115200 baud, connected, on a virtual clock; the program's
// directory is a scratch directory for the update files.
class FirmwareUpdateTest : public ::testing::Test {
 protected:
  FirmwareUpdateTest() : ticks_(clock_), line_(box_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
    ResetLastProgressPercentForTesting();
  }
  ~FirmwareUpdateTest() override {
    CloseLink();
    SerialChannel::ClosePort();
    ResetLastProgressPercentForTesting();
  }

  void SetUp() override {
    ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
    ASSERT_EQ(SerialChannel::SetRate(115200), 0);
    box_.set_listen_rate(115200);
    ResetExchange();
    SerialChannel::SetOpenFlag(1);
    line_.ClearLog();
  }

  void WriteFirmware(uint16_t version, const std::string& content) {
    dir_.Write(UpdateFileName(version), content);
  }
  static std::string UpdateFileName(uint16_t version) {
    return tools::UpdateFileName(kFirmwareStem, version);
  }

  std::vector<uint32_t> Erases() const {
    std::vector<uint32_t> sectors;
    for (const sim::LoggedRequest& r : box_.requests()) {
      if (r.opcode == 'g') sectors.push_back(Be32(r.payload, 0));
    }
    return sectors;
  }
  std::vector<Programmed> Programs() const {
    std::vector<Programmed> programs;
    for (const sim::LoggedRequest& r : box_.requests()) {
      if (r.opcode != 'h') continue;
      uint16_t count = static_cast<uint16_t>(r.payload[4] << 8 | r.payload[5]);
      EXPECT_EQ(r.payload.size(), 6u + count);
      programs.push_back({Be32(r.payload, 0), Bytes(r.payload.begin() + 6, r.payload.end())});
    }
    return programs;
  }
  static uint32_t Be32(const Bytes& b, size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
  }
  std::vector<std::string> Texts() const { return status_.StatusTexts(); }

  platform::VirtualClock clock_{1000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  platform::InProcessSerialLine line_;
  ScratchDirectory dir_;
  platform::RecordingFeedback status_;
};

TEST_F(FirmwareUpdateTest, GeneratedImageIsProgrammedInFileOrderAndTheMarkerLast) {
  tools::FirmwareImageOptions options;
  options.version = 105;
  auto image = tools::MakeFirmwareImage(options);
  ASSERT_TRUE(image);
  WriteFirmware(105, image->text);
  ASSERT_EQ(box_.firmware_raw_version(), 0);

  ASSERT_EQ(UpdateFirmware(105, status_), 0);

  EXPECT_THAT(Erases(), ElementsAreArray(FirmwareSectors));
  std::vector<Programmed> programs = Programs();
  ASSERT_EQ(programs.size(), image->data.size() / 32 + 1);
  for (size_t i = 0; i + 1 < programs.size(); ++i) {
    ASSERT_EQ(programs[i].address, 0x01040004u + 32 * i) << i;
  }
  EXPECT_EQ(programs.back(), kMarker);
  // Every erase comes before the first program.
  EXPECT_EQ(box_.requests()[3].opcode, 'h');
  EXPECT_EQ(box_.flash().Read(0x01040004, image->data.size()), image->data);
  EXPECT_EQ(box_.firmware_raw_version(), 0x3000 + 105);

  std::vector<std::string> expected = {kErasingText, kProgrammingText};
  for (unsigned percent = 1; percent <= 100; ++percent) expected.push_back(Progress(percent));
  expected.push_back(kPassedText);
  EXPECT_EQ(Texts(), expected);
  EXPECT_EQ(LastProgressPercent(), 100);
}

TEST_F(FirmwareUpdateTest, CrLfFileProgramsExactlyWhatTheLfFileDoes) {
  tools::FirmwareImageOptions options;
  options.version = 3;
  options.size = 4000;
  options.record_bytes = 20;
  WriteFirmware(3, tools::MakeFirmwareImage(options)->text);
  options.crlf = true;
  WriteFirmware(4, tools::MakeFirmwareImage(options)->text);

  ASSERT_EQ(UpdateFirmware(3, status_), 0);
  std::vector<Programmed> fromLf = Programs();
  box_.ClearRequests();
  ASSERT_EQ(UpdateFirmware(4, status_), 0);
  EXPECT_EQ(Programs(), fromLf);
  EXPECT_EQ(status_.status(), kPassedText);
}

TEST_F(FirmwareUpdateTest, EmptyFileErasesAndProgramsTheMarkerOnly) {
  WriteFirmware(1, "");
  EXPECT_EQ(UpdateFirmware(1, status_), 0);
  EXPECT_THAT(Erases(), ElementsAreArray(FirmwareSectors));
  EXPECT_THAT(Programs(), ElementsAre(kMarker));
  EXPECT_THAT(Texts(), ElementsAre(kErasingText, kProgrammingText, kPassedText));
}

TEST_F(FirmwareUpdateTest, RecordsWithoutDataAreSkippedButShowProgress) {
  WriteFirmware(2, "S0030000FC\nS9030000FC\n");  // 11 of 22 bytes after the first line
  EXPECT_EQ(UpdateFirmware(2, status_), 0);
  EXPECT_THAT(Programs(), ElementsAre(kMarker));
  EXPECT_THAT(Texts(), ElementsAre(kErasingText, kProgrammingText, Progress(50), Progress(100),
                                   kPassedText));
}

TEST_F(FirmwareUpdateTest, RecordsArePaddedWithFfToWholeWords) {
  struct Case {
    size_t data_bytes;
    size_t programmed;
  };
  const Case cases[] = {{16, 16}, {15, 16}, {13, 16}, {3, 4}, {1, 4}, {120, 120}, {117, 120}};
  for (const Case& c : cases) {
    box_.ClearRequests();
    Bytes data(c.data_bytes);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x10 + i);
    WriteFirmware(9, S3(0x01050000, data));
    ASSERT_EQ(UpdateFirmware(9, status_), 0) << c.data_bytes;
    Bytes expected = data;
    expected.resize(c.programmed, 0xFF);
    EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01050000, expected}, kMarker)) << c.data_bytes;
  }
}

TEST_F(FirmwareUpdateTest, ThreeBytesAtTheSectorStartAreProgrammedWithOnePadByte) {
  WriteFirmware(9, "S3080104000012345656\n");
  ASSERT_EQ(UpdateFirmware(9, status_), 0);
  EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01040000, {0x12, 0x34, 0x56, 0xFF}}, kMarker));
}

// Lines the update stops at: after the record before them, without the record after them and
// without the marker.
TEST_F(FirmwareUpdateTest, UnusableLineStopsTheUpdateBeforeTheMarker) {
  const std::string before = S3(0x01040004, {0x30, 0x07, 1, 2});
  const std::string after = S3(0x01040008, {3, 4, 5, 6});
  std::string binary;
  for (int i = 0; i < 256; ++i) {
    char byte = static_cast<char>((i * 37) & 0xFF);  // every byte value, shuffled
    if (byte != '\x1A' && byte != '\n') binary += byte;
  }
  binary += '\n';
  std::string lastLineUnended = after.substr(0, after.size() - 1);
  const std::string badLines[] = {
      "\n",                                        // blank line
      after.substr(0, after.size() - 1) + " \n",   // trailing blank
      after.substr(0, after.size() - 1) + "\t\n",  // trailing tab
      "S3" + std::string(300, 'F') + "\n",         // longer than one read
      std::string(100000, 'S') + "\n",             // very long
      std::string("S3\0\0\0\0\0\0\0\0\n", 11),     // NUL bytes
      binary,                                      // binary junk
      "\r\r\n",                                    // a lone carriage return stays
      "S107100001020304DF\n",                      // wrong checksum
  };
  for (const std::string& bad : badLines) {
    box_.ClearRequests();
    status_.Clear();
    WriteFirmware(9, before + bad + after);
    EXPECT_EQ(UpdateFirmware(9, status_), kUpdateFileUnusable) << bad.substr(0, 40);
    EXPECT_THAT(Erases(), ElementsAreArray(FirmwareSectors));
    EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01040004, {0x30, 0x07, 1, 2}}));
    EXPECT_EQ(status_.status(), kFailedText);
    EXPECT_EQ(box_.firmware_raw_version(), 0);
  }

  box_.ClearRequests();
  WriteFirmware(9, before + lastLineUnended);  // the last line lacks its line feed
  EXPECT_EQ(UpdateFirmware(9, status_), kUpdateFileUnusable);
  EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01040004, {0x30, 0x07, 1, 2}}));
  EXPECT_EQ(status_.status(), kFailedText);
}

TEST_F(FirmwareUpdateTest, ByteOneAEndsTheFileAsInTextMode) {
  const std::string record = S3(0x01040004, {0x30, 0x07, 1, 2});
  WriteFirmware(9, record + "\x1A" + "garbage that is never read\n");
  EXPECT_EQ(UpdateFirmware(9, status_), 0);
  EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01040004, {0x30, 0x07, 1, 2}}, kMarker));
}

TEST_F(FirmwareUpdateTest, FailingSecondEraseStopsBeforeTheThirdAndBeforeProgramming) {
  box_.faults().failing_erase_sectors = {0x01080000};
  WriteFirmware(9, S3(0x01040004, {1, 2, 3, 4}));
  EXPECT_EQ(UpdateFirmware(9, status_), kEraseFailed);
  EXPECT_THAT(Erases(), ElementsAre(0x01040000u, 0x01080000u));
  EXPECT_THAT(Programs(), IsEmpty());
  EXPECT_THAT(Texts(), ElementsAre(kErasingText, kEraseFailedText));
}

TEST_F(FirmwareUpdateTest, FailingRecordProgramStopsTheUpdate) {
  box_.faults().failing_programs = 1;
  WriteFirmware(9, S3(0x01040004, {1, 2, 3, 4}) + S3(0x01040008, {5, 6, 7, 8}));
  EXPECT_EQ(UpdateFirmware(9, status_), kProgramFailed);
  EXPECT_EQ(Programs().size(), 1u);
  // Failed at once, then the progress of that line, then failed again.
  EXPECT_THAT(Texts(),
              ElementsAre(kErasingText, kProgrammingText, kFailedText, Progress(50), kFailedText));
}

TEST_F(FirmwareUpdateTest, FailingMarkerProgramFailsTheUpdate) {
  box_.faults().failing_program_at = 0x01040000;
  WriteFirmware(9, S3(0x01040004, {1, 2, 3, 4}));
  EXPECT_EQ(UpdateFirmware(9, status_), kProgramFailed);
  EXPECT_THAT(Programs(), ElementsAre(Programmed{0x01040004, {1, 2, 3, 4}}, kMarker));
  EXPECT_EQ(status_.status(), kFailedText);
  EXPECT_EQ(box_.firmware_raw_version(), 0);
}

TEST_F(FirmwareUpdateTest, LinkFailureDuringProgrammingIsReturned) {
  box_.faults().stop_after_requests = 4;  // three erases and one record
  WriteFirmware(9, S3(0x01040004, {1, 2, 3, 4}) + S3(0x01040008, {5, 6, 7, 8}));
  EXPECT_EQ(UpdateFirmware(9, status_), kNoValidReply);
  EXPECT_EQ(status_.status(), kFailedText);
}

TEST_F(FirmwareUpdateTest, VersionWithoutFileSetsNoTextAndSendsNothing) {
  WriteFirmware(0, S3(0x01040004, {1, 2, 3, 4}));
  WriteFirmware(256, S3(0x01040004, {1, 2, 3, 4}));  // written as "ZV9SWDGD.256"
  for (uint16_t version : {0, 256, 9}) {
    EXPECT_EQ(UpdateFirmware(version, status_), kUpdateFileUnusable) << version;
  }
  EXPECT_THAT(Texts(), IsEmpty());
  EXPECT_THAT(line_.writes(), IsEmpty());
}

TEST_F(FirmwareUpdateTest, SecondUpdateInARunShowsZeroPercentAtOnce) {
  tools::FirmwareImageOptions options;
  options.size = 32 * 200;  // 200 records: every line is below a hundredth of the file
  WriteFirmware(5, tools::MakeFirmwareImage(options)->text);
  ASSERT_EQ(UpdateFirmware(5, status_), 0);
  ASSERT_EQ(LastProgressPercent(), 100);
  status_.Clear();

  ASSERT_EQ(UpdateFirmware(5, status_), 0);
  std::vector<std::string> texts = Texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[2], Progress(0));
  EXPECT_EQ(texts[3], Progress(1));
}

TEST_F(FirmwareUpdateTest, ReadErrorPassesToTheCallerAndClosesTheFile) {
  // Reading a process's memory file from offset 0 fails with an input/output error.
  std::filesystem::create_symlink("/proc/self/mem", dir_.path() / UpdateFileName(8));
  platform::TextFile probe;
  std::string line;
  if (!probe.Open(UpdateFilePath(kFirmwareStem, 8))) GTEST_SKIP() << "cannot open the file";
  try {
    probe.ReadString(line, 255);
    GTEST_SKIP() << "reading the file does not fail here";
  } catch (const platform::FileException&) {
  }
  probe.Close();

  auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  auto before = openFiles();
  EXPECT_THROW(UpdateFirmware(8, status_), platform::FileException);
  EXPECT_EQ(openFiles(), before);
  EXPECT_EQ(status_.status(), kProgrammingText);
}

TEST(ShowProgressPercentTest, ShowsOnlyANewPercentage) {
  ResetLastProgressPercentForTesting();
  platform::RecordingFeedback status;
  const std::string format = "Firmware: Programming Flash ... ( %u%% )";
  ShowProgressPercent(1000, 5, format, status);  // 0 %: as last shown
  ShowProgressPercent(1000, 430, format, status);
  ShowProgressPercent(1000, 439, format, status);  // still 43
  ShowProgressPercent(1000, 440, format, status);
  ShowProgressPercent(3, 1, format, status);  // 33.3 -> 33
  ShowProgressPercent(1000, 1000, format, status);
  EXPECT_THAT(status.StatusTexts(),
              ElementsAre(Progress(43), Progress(44), Progress(33), Progress(100)));
  EXPECT_EQ(LastProgressPercent(), 100);
  ResetLastProgressPercentForTesting();
  EXPECT_EQ(LastProgressPercent(), 0);
}

TEST(ShowProgressPercentTest, FormatTakesOnlyItsPercentage) {
  ResetLastProgressPercentForTesting();
  platform::RecordingFeedback status;
  ShowProgressPercent(4, 1, "%s %d %u%% %", status);
  ShowProgressPercent(0, 0, "[%u]", status);      // an empty file counts as complete
  ShowProgressPercent(100, 70000, "%u", status);  // 70000 as 16 bits
  EXPECT_THAT(status.StatusTexts(), ElementsAre("%s %d 25% %", "[100]", "4464"));
  ResetLastProgressPercentForTesting();
}

class EraseAllFlashTest : public FirmwareUpdateTest {};

TEST_F(EraseAllFlashTest, ErasesEverySectorInOrder) {
  box_.flash().Store(0x01008000, Bytes{1, 2, 3}.data(), 3);
  EXPECT_EQ(EraseAllFlash(), 0);
  EXPECT_THAT(Erases(), ElementsAreArray(AllFlashSectors));
  EXPECT_EQ(box_.flash().At(0x01008000), 0xFF);
  EXPECT_THAT(Texts(), IsEmpty());
}

TEST_F(EraseAllFlashTest, StopsAtTheFirstFailingSector) {
  box_.faults().failing_erase_sectors = {0x01010000};
  EXPECT_EQ(EraseAllFlash(), kEraseFailed);
  EXPECT_THAT(Erases(), ElementsAre(0x01008000u, 0x0100C000u, 0x01010000u));
}

TEST(EraseAllFlashWithoutLinkTest, ReportsTheExchangesCode) {
  CloseLink();
  EXPECT_EQ(EraseAllFlash(), kNotConnected);
}

}  // namespace
}  // namespace zelvo
