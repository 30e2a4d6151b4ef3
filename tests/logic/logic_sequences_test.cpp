#include "logic/logic_sequences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logic/ues_bit_string.h"
#include "platform/exe_dir.h"
#include "platform/text_file.h"
#include "tests/logic/jedec_test_file.h"
#include "tests/logic/logic_box_fixture.h"

namespace zelvo {
namespace {

using testing::JedecText;
using testing::LogicBoxTest;
using testing::PatternFuseMap;
using testing::TempDir;
using Strings = std::vector<std::string>;

constexpr const char* kCommFailed = "Communication with ZELVO failed!";
constexpr const char* kUnknownDevice = "Logic: Unknown ispLSI device type!";

TEST(LogicUesTextTest, SignsWithTheThreeDigitVersion) {
  EXPECT_EQ(LogicUesText(12), "B6001E>012");
  EXPECT_EQ(LogicUesText(1), "B6001E>001");
  EXPECT_EQ(LogicUesText(255), "B6001E>255");
  EXPECT_EQ(LogicUesText(0), "B6001E>000");
  EXPECT_EQ(LogicUesText(256), "B6001E>000");
}

TEST(LogicFileStemTest, TenCharacterSerialEndingInCSelectsTheOtherStem) {
  const std::pair<std::string, std::string> cases[] = {
      {"123456789C", "SWDJED21"}, {"ABCDEFGHIC", "SWDJED21"},  {"123456789D", "SWDJED20"},
      {"123456789c", "SWDJED20"}, {"12345678", "SWDJED20"},    {"1234567C", "SWDJED20"},
      {"12345678C", "SWDJED20"},  {"1234567890C", "SWDJED20"}, {"C", "SWDJED20"},
      {"", "SWDJED20"},           {"C123456789", "SWDJED20"},
  };
  for (const auto& [serial, stem] : cases) EXPECT_EQ(LogicFileStem(serial), stem) << serial;
}

// The box on the line, and an update directory taken as the program's own.
class LogicSequencesTest : public LogicBoxTest {
 protected:
  LogicSequencesTest() {
    platform::SetExecutableDirectoryForTesting(dir_.path());
    // The box as it comes: a device programmed with an older fuse map.
    old_map_ = PatternFuseMap();
    for (std::string& row : old_map_.rows) row[7] = row[7] == '0' ? '1' : '0';
    StoreInBox(old_map_);
  }
  ~LogicSequencesTest() override { platform::SetExecutableDirectoryForTesting(""); }

  // The requests of a full update: access on, device check, erase, every row programmed, the
  // signature written, every row read back, the signature read, access off.
  static Strings FullUpdateRequests() {
    Strings requests = {"i1", "j", "p"};
    for (int row = 0; row < kFuseRowCount; ++row) requests.push_back("l" + std::to_string(row));
    requests.push_back("n");
    for (int row = 0; row < kFuseRowCount; ++row) requests.push_back("k" + std::to_string(row));
    requests.push_back("m");
    requests.push_back("i0");
    return requests;
  }

  TempDir dir_;
  FuseMap old_map_;
};

TEST_F(LogicSequencesTest, UpdateProgramsVerifiesAndSignsTheDevice) {
  const FuseMap map = PatternFuseMap();
  dir_.Write("SWDJED20.012", JedecText(map));
  EXPECT_TRUE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(Requests(), FullUpdateRequests());
  EXPECT_TRUE(BoxHolds(map));
  EXPECT_EQ(box_.logic().signature(), UesBitString("B6001E>012"));
  EXPECT_FALSE(box_.logic().access());
  EXPECT_TRUE(feedback_.MessageTexts().empty());
  EXPECT_EQ(feedback_.status(), "Logic: Verifying ... ( 99% )");
  const Strings statuses = feedback_.StatusTexts();
  EXPECT_EQ(statuses.front(), "Logic: Reading JEDEC File ...");
  for (const std::string& text : statuses) EXPECT_EQ(text.find("100%"), std::string::npos);
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, BoxWithSerialEndingInCGetsTheOtherFile) {
  FuseMap other = PatternFuseMap();
  for (std::string& row : other.rows) row[0] = row[0] == '0' ? '1' : '0';
  dir_.Write("SWDJED20.012", JedecText(PatternFuseMap()));
  dir_.Write("SWDJED21.012", JedecText(other));
  EXPECT_TRUE(LogicUpdateSequence(12, "123456789C", feedback_));
  EXPECT_TRUE(BoxHolds(other));
  EXPECT_EQ(box_.logic().signature(), UesBitString("B6001E>012"));
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, MissingFileOfTheOtherStemTouchesNothing) {
  dir_.Write("SWDJED20.012", JedecText(PatternFuseMap()));
  EXPECT_FALSE(LogicUpdateSequence(12, "123456789C", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{"Logic: Cannot open JEDEC file!"});
  EXPECT_EQ(Requests(), Strings{"i0"});  // access off all the same; nothing erased
  EXPECT_TRUE(BoxHolds(old_map_));
  EXPECT_EQ(feedback_.status(), "Logic: Reading JEDEC File ...");
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, UnreadableFileThenSilentBoxShowsBothMessages) {
  box_.faults().silent = true;
  EXPECT_FALSE(LogicUpdateSequence(7, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), (Strings{"Logic: Cannot open JEDEC file!", kCommFailed}));
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, BadFileStopsBeforeTheBoxIsTouched) {
  dir_.Write("SWDJED20.012", "*L00000\n" + std::string(60, '0') + "\n");
  EXPECT_FALSE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{"Illegal JEDEC file format!"});
  EXPECT_EQ(Requests(), Strings{"i0"});
  EXPECT_TRUE(BoxHolds(old_map_));
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, UnknownDeviceTypeIsNotErased) {
  dir_.Write("SWDJED20.012", JedecText(PatternFuseMap()));
  box_.set_device_type(18);
  EXPECT_FALSE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{kUnknownDevice});
  EXPECT_EQ(Requests(), (Strings{"i1", "j", "i0"}));
  EXPECT_TRUE(BoxHolds(old_map_));
  EXPECT_FALSE(box_.logic().access());
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, LinkFailureAtRow50EndsWithAccessOff) {
  dir_.Write("SWDJED20.012", JedecText(PatternFuseMap()));
  LoseRequests('l', 50);
  EXPECT_FALSE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{kCommFailed});
  EXPECT_EQ(feedback_.status(), "Logic: Programming ... ( 37% )");
  Strings expected = {"i1", "j", "p"};
  for (int row = 0; row < 50; ++row) expected.push_back("l" + std::to_string(row));
  expected.push_back("i0");
  EXPECT_EQ(Requests(), expected);  // no later row, no signature, no read-back
  EXPECT_FALSE(box_.logic().access());
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, VerificationFailureEndsWithAccessOff) {
  dir_.Write("SWDJED20.012", JedecText(PatternFuseMap()));
  box_.faults().signature_reads_differently = true;
  EXPECT_FALSE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{"Logic: UES verify failed!"});
  EXPECT_EQ(feedback_.status(), "Logic: Verifying ... ( 99% )");
  EXPECT_EQ(Requests(), FullUpdateRequests());
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, FailedAccessOffDoesNotChangeASuccess) {
  const FuseMap map = PatternFuseMap();
  dir_.Write("SWDJED20.012", JedecText(map));
  LoseRequests('i', 0);
  EXPECT_TRUE(LogicUpdateSequence(12, "12345678", feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{kCommFailed});
  EXPECT_TRUE(BoxHolds(map));
  ExpectCursorBalanced();
}

TEST_F(LogicSequencesTest, ReadErrorPassesOnAfterAccessOff) {
  EXPECT_THROW(LogicUpdateFromFile("/proc/self/mem", "B6001E>012", feedback_),
               platform::FileException);
  EXPECT_EQ(Requests(), Strings{"i0"});
  ExpectCursorBalanced();
}

struct EraseCase {
  const char* name;
  void (*arrange)(sim::Box&);
  uint8_t lostOpcode;  // 0: nothing lost
  bool passed;
  Strings requests;  // as they reached the box
  Strings messages;
  bool erased;
};

void PrintTo(const EraseCase& c, std::ostream* os) {
  *os << c.name;
}

class LogicEraseSequenceTest : public LogicSequencesTest,
                               public ::testing::WithParamInterface<EraseCase> {};

TEST_P(LogicEraseSequenceTest, ErasesAfterTheDeviceCheckAndAlwaysSwitchesAccessOff) {
  const EraseCase& c = GetParam();
  if (c.arrange != nullptr) c.arrange(box_);
  if (c.lostOpcode != 0) LoseRequests(c.lostOpcode);
  EXPECT_EQ(LogicEraseSequence(feedback_), c.passed);
  EXPECT_EQ(Requests(), c.requests);
  EXPECT_EQ(feedback_.MessageTexts(), c.messages);
  EXPECT_EQ(box_.logic().row(0), c.erased ? std::string(240, '1') : old_map_.rows[0]);
  ExpectCursorBalanced();
}

void Type18(sim::Box& box) {
  box.set_device_type(18);
}
void DropAccessOnReplies(sim::Box& box) {
  box.faults().drop_replies = {3, 'i'};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogicEraseSequenceTest,
    ::testing::Values(
        EraseCase{"Passes", nullptr, 0, true, {"i1", "j", "p", "i0"}, {}, true},
        EraseCase{"UnknownType", Type18, 0, false, {"i1", "j", "i0"}, {kUnknownDevice}, false},
        EraseCase{"EraseLost", nullptr, 'p', false, {"i1", "j", "i0"}, {kCommFailed}, false},
        EraseCase{"AccessOnUnanswered",
                  DropAccessOnReplies,
                  0,
                  false,
                  {"i1", "i1", "i1", "i0"},
                  {kCommFailed},
                  false},
        EraseCase{"AccessLost", nullptr, 'i', false, {}, {kCommFailed, kCommFailed}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zelvo
