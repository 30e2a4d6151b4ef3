#include "logic/jedec_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/recording_feedback.h"
#include "platform/text_file.h"
#include "tests/logic/jedec_test_file.h"

namespace zelvo {
namespace {

using platform::RecordingFeedback;
using testing::JedecText;
using testing::PatternFuseMap;
using testing::RowLines;
using testing::TempDir;
using Kind = RecordingFeedback::Kind;

constexpr const char* kReading = "Logic: Reading JEDEC File ...";
constexpr const char* kCannotOpen = "Logic: Cannot open JEDEC file!";
constexpr const char* kNoHeader = "Logic: Illegal JEDEC file format!";
constexpr const char* kBadRow = "Illegal JEDEC file format!";

std::string Fuses(size_t count, char c = '1') {
  return std::string(count, c);
}

class LogicJedecReaderTest : public ::testing::Test {
 protected:
  // Reads `content` as a file; the feedback and map keep what the reader left.
  bool Read(const std::string& content) {
    return ReadJedecFile(dir_.Write("SWDJED20.012", content), map_, feedback_);
  }

  // The one message shown, and the cursor level it was shown at.
  void ExpectOneMessage(const std::string& text, int level) {
    ASSERT_EQ(feedback_.MessageTexts(), std::vector<std::string>{text});
    for (const auto& e : feedback_.events()) {
      if (e.kind == Kind::kMessage) {
        EXPECT_EQ(e.cursor_level, level);
        EXPECT_EQ(e.caption, platform::kApplicationTitle);
        EXPECT_EQ(e.buttons, platform::MessageButtons::kOk);
        EXPECT_EQ(e.icon, platform::MessageIcon::kNone);
      }
    }
  }

  void ExpectStatusOnlyReading() {
    EXPECT_EQ(feedback_.StatusTexts(), std::vector<std::string>{kReading});
    EXPECT_EQ(feedback_.cursor_level(), 0);
  }

  int CursorBegins() const {
    int begins = 0;
    for (const auto& e : feedback_.events()) begins += e.kind == Kind::kBeginWait;
    return begins;
  }

  TempDir dir_;
  FuseMap map_;
  RecordingFeedback feedback_;
};

TEST_F(LogicJedecReaderTest, MissingFileIsReportedAndMapIsEmptied) {
  map_ = PatternFuseMap();
  EXPECT_FALSE(ReadJedecFile(dir_.PathOf("SWDJED20.001"), map_, feedback_));
  ExpectOneMessage(kCannotOpen, 0);
  ExpectStatusOnlyReading();
  EXPECT_EQ(CursorBegins(), 0);
  for (const std::string& row : map_.rows) EXPECT_TRUE(row.empty());
}

TEST_F(LogicJedecReaderTest, DirectoryAndEmptyPathCannotBeOpened) {
  EXPECT_FALSE(ReadJedecFile(dir_.path(), map_, feedback_));
  EXPECT_FALSE(ReadJedecFile("", map_, feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), (std::vector<std::string>{kCannotOpen, kCannotOpen}));
}

struct HeaderCase {
  const char* name;
  std::string before;  // text up to and including the would-be header
  bool accepted;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << c.name;
}

class LogicJedecHeaderTest : public LogicJedecReaderTest,
                             public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(LogicJedecHeaderTest, OnlyTheExactHeaderReadStartsTheFuseData) {
  const HeaderCase& c = GetParam();
  const FuseMap expected = PatternFuseMap();
  EXPECT_EQ(Read(c.before + RowLines(expected, 0)), c.accepted);
  EXPECT_EQ(feedback_.cursor_level(), 0);
  if (c.accepted) {
    EXPECT_TRUE(feedback_.MessageTexts().empty());
    EXPECT_EQ(map_.rows, expected.rows);
    EXPECT_EQ(CursorBegins(), 1);
  } else {
    ExpectOneMessage(kNoHeader, 0);
    EXPECT_EQ(CursorBegins(), 0);
  }
  ExpectStatusOnlyReading();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogicJedecHeaderTest,
    ::testing::Values(
        HeaderCase{"Plain", "*QP44*\n*L00000\n", true},
        HeaderCase{"HeaderFirst", "*L00000\n", true},
        HeaderCase{"CrLf", "*QP44*\r\n*L00000\r\n", true},
        HeaderCase{"SecondPieceOfLongLine", std::string(80, 'x') + "*L00000\n", true},
        HeaderCase{"AfterLongJunk",
                   std::string(1000, '#') + "\n" + std::string(79, 'y') + "\n*L00000\n", true},
        HeaderCase{"NoStar", "L00000\n", false}, HeaderCase{"LowerCase", "*l00000\n", false},
        HeaderCase{"TrailingBlank", "*L00000 \n", false},
        HeaderCase{"LeadingBlank", " *L00000\n", false},
        HeaderCase{"FieldOnSameLine", "*L00000*\n", false},
        HeaderCase{"OtherAddress", "*L00001\n", false},
        HeaderCase{"LongLineNotOnPieceBoundary", std::string(79, 'x') + "*L00000\n", false},
        HeaderCase{"LoneCarriageReturn", "*L00000\r\r\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogicJedecReaderTest, FileWithoutHeaderFails) {
  for (const std::string& content :
       {std::string(), std::string("\n\n\n"), std::string("*QP44*\n") + Fuses(60) + "\n",
        std::string("*QP44*\n*L00000")}) {
    feedback_ = RecordingFeedback();
    EXPECT_FALSE(Read(content));
    ExpectOneMessage(kNoHeader, 0);
    ExpectStatusOnlyReading();
  }
}

TEST_F(LogicJedecReaderTest, RowsOfFourLinesOrOneLineAreAccepted) {
  const FuseMap expected = PatternFuseMap();
  for (size_t lineLength : {60u, 240u}) {
    feedback_ = RecordingFeedback();
    map_ = FuseMap();
    EXPECT_TRUE(Read(JedecText(expected, lineLength))) << lineLength;
    EXPECT_EQ(map_.rows, expected.rows) << lineLength;
    EXPECT_TRUE(feedback_.MessageTexts().empty());
    ExpectStatusOnlyReading();
  }
}

TEST_F(LogicJedecReaderTest, CrLfRowsAndTextBehindTheFuseRunAreAccepted) {
  FuseMap expected = PatternFuseMap();
  // Row 0 from four reads of which only the leading runs count: '0101 0101' gives '0101'.
  const std::string rest = expected.rows[0].substr(4);
  expected.rows[0] = "0101" + rest;
  const std::string row0 = "0101 0101\r\n" + rest.substr(0, 78) + "*\r\n" + rest.substr(78, 79) +
                           "\r\n" + rest.substr(157) + "\r\n";
  ASSERT_EQ(rest.substr(157).size(), 79u);
  EXPECT_TRUE(Read("*L00000\r\n" + row0 + RowLines(expected, 1)));
  EXPECT_EQ(map_.rows, expected.rows);
  EXPECT_TRUE(feedback_.MessageTexts().empty());
}

TEST_F(LogicJedecReaderTest, LineBeginningWithBlankContributesNothing) {
  const FuseMap map = PatternFuseMap();
  const std::string row3 = map.rows[3];
  const std::string text = "*L00000\n" + RowLines(map, 0).substr(0, 3 * 4 * 61) + " " +
                           row3.substr(0, 60) + "\n" + RowLines(map, 3).substr(61);
  EXPECT_FALSE(Read(text));
  ExpectOneMessage(kBadRow, 1);
  EXPECT_EQ(map_.rows[2], map.rows[2]);
  EXPECT_EQ(map_.rows[3], row3.substr(60));
  EXPECT_TRUE(map_.rows[4].empty());
}

TEST_F(LogicJedecReaderTest, OverlongRowFailsThereAndNoLaterRowIsRead) {
  const FuseMap expected = PatternFuseMap();
  std::string text = "*L00000\n";
  for (int i = 0; i < kFuseRowCount; ++i) {
    const std::string& row = expected.rows[i];
    text += (i == 5 ? "1" : "") + row.substr(0, 60) + "\n" + row.substr(60, 60) + "\n" +
            row.substr(120, 60) + "\n" + row.substr(180, 60) + "\n";
  }
  EXPECT_FALSE(Read(text));
  ExpectOneMessage(kBadRow, 1);
  ExpectStatusOnlyReading();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(map_.rows[i], expected.rows[i]);
  EXPECT_EQ(map_.rows[5].size(), 241u);
  for (int i = 6; i < kFuseRowCount; ++i) EXPECT_TRUE(map_.rows[i].empty()) << i;
}

TEST_F(LogicJedecReaderTest, FileEndingInsideTheFuseDataFails) {
  const FuseMap expected = PatternFuseMap();
  std::string text = "*L00000\n";
  for (int i = 0; i < 100; ++i) text += expected.rows[i] + "\n";
  EXPECT_FALSE(Read(text));
  ExpectOneMessage(kBadRow, 1);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(map_.rows[i], expected.rows[i]);
  EXPECT_TRUE(map_.rows[100].empty());

  // The last row three characters short, and the file ending there without a line feed.
  feedback_ = RecordingFeedback();
  text = JedecText(expected, 240, "*L00000\n");
  text = text.substr(0, text.find(expected.rows[133]) + 237);
  EXPECT_FALSE(Read(text));
  ExpectOneMessage(kBadRow, 1);
  EXPECT_EQ(map_.rows[133], expected.rows[133].substr(0, 237));
}

TEST_F(LogicJedecReaderTest, WaitCursorEndsAfterTheRowMessage) {
  EXPECT_FALSE(Read("*L00000\n" + Fuses(239) + "\n"));
  std::vector<Kind> kinds;
  for (const auto& e : feedback_.events()) kinds.push_back(e.kind);
  EXPECT_EQ(kinds,
            (std::vector<Kind>{Kind::kStatus, Kind::kBeginWait, Kind::kMessage, Kind::kEndWait}));
}

TEST_F(LogicJedecReaderTest, WhateverFollowsTheLastRowChangesNothing) {
  const FuseMap expected = PatternFuseMap();
  std::string text = JedecText(expected);
  text += "*L00000\n" + Fuses(5000, '0') + "\n\x01\xff\x80 junk *C0000*\n";
  EXPECT_TRUE(Read(text));
  EXPECT_EQ(map_.rows, expected.rows);
  EXPECT_TRUE(feedback_.MessageTexts().empty());
  EXPECT_EQ(feedback_.cursor_level(), 0);
}

TEST_F(LogicJedecReaderTest, HugeAndBinaryFilesFailCleanly) {
  std::mt19937 random(20240611);
  std::string junk(1 << 20, '\0');
  for (char& c : junk) c = static_cast<char>(random());

  struct Case {
    std::string content;
    const char* message;
  };
  const Case cases[] = {
      {Fuses(10 << 20, '0'), kNoHeader},
      {"*L00000\n" + Fuses(10 << 20, '0'), kBadRow},
      {junk, kNoHeader},
      {"*L00000\n" + junk, kBadRow},
      {"*L00000\n" + std::string(240, '\0') + "\n", kBadRow},
  };
  for (const Case& c : cases) {
    feedback_ = RecordingFeedback();
    EXPECT_FALSE(Read(c.content));
    EXPECT_EQ(feedback_.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(feedback_.cursor_level(), 0);
    for (const std::string& row : map_.rows) EXPECT_LE(row.size(), 4 * kJedecReadChars);
  }
}

TEST_F(LogicJedecReaderTest, ReadErrorPassesToTheCallerWithNothingLeftOn) {
  // Reading a process's memory file from its start fails with an input/output error.
  EXPECT_THROW(ReadJedecFile("/proc/self/mem", map_, feedback_), platform::FileException);
  EXPECT_EQ(feedback_.cursor_level(), 0);
  EXPECT_TRUE(feedback_.MessageTexts().empty());
  EXPECT_EQ(feedback_.status(), kReading);
}

TEST(LogicLeadingFuseRunTest, TakesTheRunOfZerosAndOnes) {
  const std::pair<std::string, std::string> cases[] = {
      {"0101 0101\n", "0101"},
      {" 0101\n", ""},
      {"0110*\n", "0110"},
      {"", ""},
      {"1112", "111"},
      {"01\r\n", "01"},
      {"\n", ""},
      {std::string("1\0"
                   "1",
                   3),
       "1"},
  };
  for (const auto& [read, run] : cases) EXPECT_EQ(LeadingFuseRun(read), run) << read;
}

}  // namespace
}  // namespace zelvo
