#include "logic/logic_steps.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "logic/ues_bit_string.h"
#include "tests/logic/jedec_test_file.h"
#include "tests/logic/logic_box_fixture.h"

namespace zelvo {
namespace {

using testing::LogicBoxTest;
using testing::PatternFuseMap;
using Strings = std::vector<std::string>;

constexpr const char* kCommFailed = "Communication with ZELVO failed!";
constexpr const char* kUesText = "B6001E>012";

TEST(LogicRowProgressTest, RunsFromZeroToNinetyNine) {
  const std::pair<int, unsigned> cases[] = {{0, 0}, {1, 0},   {2, 1},   {3, 2},    {4, 2},
                                            {5, 3}, {50, 37}, {67, 50}, {132, 98}, {133, 99}};
  for (const auto& [row, percent] : cases) EXPECT_EQ(RowProgress(row), percent) << row;
}

class LogicStepsTest : public LogicBoxTest {};

struct ShortStepCase {
  const char* name;
  std::function<void(sim::Box&)> arrange;
  bool (*step)(platform::DialogFeedback&);
  bool passed;
  Strings requests;
  Strings statuses;
  Strings messages;
};

void PrintTo(const ShortStepCase& c, std::ostream* os) {
  *os << c.name;
}

class LogicShortStepTest : public LogicStepsTest,
                           public ::testing::WithParamInterface<ShortStepCase> {};

TEST_P(LogicShortStepTest, SendsItsCommandAndReportsAtTheCallersLevel) {
  const ShortStepCase& c = GetParam();
  box_.logic().set_access(true);
  if (c.arrange) c.arrange(box_);
  EXPECT_EQ(c.step(feedback_), c.passed);
  EXPECT_EQ(Requests(), c.requests);
  EXPECT_EQ(feedback_.StatusTexts(), c.statuses);
  EXPECT_EQ(feedback_.MessageTexts(), c.messages);
  ExpectCursorBalanced();
}

void Silent(sim::Box& box) {
  box.faults().silent = true;
}
void Type18(sim::Box& box) {
  box.set_device_type(18);
}
void NoAccess(sim::Box& box) {
  box.logic().set_access(false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogicShortStepTest,
    ::testing::Values(
        ShortStepCase{"AccessOn", nullptr, LogicAccessOn, true, {"i1"}, {}, {}},
        ShortStepCase{"AccessOnSilent", Silent, LogicAccessOn, false, {}, {}, {kCommFailed}},
        ShortStepCase{"AccessOff", nullptr, LogicAccessOff, true, {"i0"}, {}, {}},
        ShortStepCase{"AccessOffSilent", Silent, LogicAccessOff, false, {}, {}, {kCommFailed}},
        ShortStepCase{"CheckDevice", nullptr, LogicCheckDevice, true, {"j"}, {}, {}},
        ShortStepCase{"CheckDeviceType18",
                      Type18,
                      LogicCheckDevice,
                      false,
                      {"j"},
                      {},
                      {"Logic: Unknown ispLSI device type!"}},
        ShortStepCase{"CheckDeviceNoTypeInReply",
                      NoAccess,
                      LogicCheckDevice,
                      false,
                      {"j"},
                      {},
                      {"Logic: Unknown ispLSI device type!"}},
        ShortStepCase{"CheckDeviceSilent", Silent, LogicCheckDevice, false, {}, {}, {kCommFailed}},
        ShortStepCase{"Erase", nullptr, LogicErase, true, {"p"}, {"Logic: Erasing ..."}, {}},
        ShortStepCase{
            "EraseSilent", Silent, LogicErase, false, {}, {"Logic: Erasing ..."}, {kCommFailed}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogicStepsTest, AccessStepsSwitchTheDevice) {
  EXPECT_TRUE(LogicAccessOn(feedback_));
  EXPECT_TRUE(box_.logic().access());
  EXPECT_TRUE(LogicAccessOff(feedback_));
  EXPECT_FALSE(box_.logic().access());
}

TEST_F(LogicStepsTest, EraseClearsAProgrammedDevice) {
  StoreInBox(PatternFuseMap());
  box_.logic().set_access(true);
  EXPECT_TRUE(LogicErase(feedback_));
  for (int i = 0; i < kFuseRowCount; ++i) EXPECT_EQ(box_.logic().row(i), std::string(240, '1'));
}

Strings ProgressTexts(const char* prefix, int lastRow) {
  Strings texts;
  for (int row = 0; row <= lastRow; ++row) {
    texts.push_back(std::string(prefix) + " ( " + std::to_string(100 * row / 134) + "% )");
  }
  return texts;
}

TEST_F(LogicStepsTest, ProgramSendsEveryRowInOrderThenTheSignature) {
  const FuseMap map = PatternFuseMap();
  box_.logic().set_access(true);
  EXPECT_TRUE(LogicProgram(map, kUesText, feedback_));

  Strings expectedRequests;
  for (int row = 0; row < kFuseRowCount; ++row)
    expectedRequests.push_back("l" + std::to_string(row));
  expectedRequests.push_back("n");
  EXPECT_EQ(Requests(), expectedRequests);
  EXPECT_TRUE(BoxHolds(map));
  EXPECT_EQ(box_.logic().signature(), UesBitString(kUesText));

  Strings statuses = {"Logic: Programming ..."};
  for (const std::string& text : ProgressTexts("Logic: Programming ...", 133)) {
    statuses.push_back(text);
  }
  EXPECT_EQ(feedback_.StatusTexts(), statuses);
  EXPECT_EQ(feedback_.StatusTexts()[1], "Logic: Programming ... ( 0% )");
  EXPECT_EQ(feedback_.StatusTexts()[3], "Logic: Programming ... ( 1% )");
  EXPECT_EQ(feedback_.StatusTexts()[68], "Logic: Programming ... ( 50% )");
  EXPECT_EQ(feedback_.status(), "Logic: Programming ... ( 99% )");
  EXPECT_TRUE(feedback_.MessageTexts().empty());
  ExpectCursorBalanced();
}

TEST_F(LogicStepsTest, LinkFailureAtRow50StopsProgramming) {
  box_.logic().set_access(true);
  LoseRequests('l', 50);
  EXPECT_FALSE(LogicProgram(PatternFuseMap(), kUesText, feedback_));
  EXPECT_EQ(feedback_.status(), "Logic: Programming ... ( 37% )");
  EXPECT_EQ(feedback_.MessageTexts(), Strings{kCommFailed});
  EXPECT_EQ(CountRequests('l'), 50);  // rows 0 to 49; row 50 was lost and nothing followed
  EXPECT_EQ(Requests().back(), "l49");
  EXPECT_EQ(CountRequests('n'), 0);
  ExpectCursorBalanced();
}

TEST_F(LogicStepsTest, SignatureWriteFailureFailsProgramming) {
  box_.logic().set_access(true);
  LoseRequests('n');
  EXPECT_FALSE(LogicProgram(PatternFuseMap(), kUesText, feedback_));
  EXPECT_EQ(CountRequests('l'), kFuseRowCount);
  EXPECT_EQ(feedback_.status(), "Logic: Programming ... ( 99% )");
  EXPECT_EQ(feedback_.MessageTexts(), Strings{kCommFailed});
  EXPECT_EQ(box_.logic().signature(), std::string(120, '1'));
  ExpectCursorBalanced();
}

struct VerifyCase {
  const char* name;
  std::function<void(sim::Box&)> arrange;
  uint8_t lostOpcode;   // requests of this opcode (0: none) ...
  int lostRow;          // ... and this row (-1: any) never reach the box
  std::string message;  // empty: verification passes
  int lastRow;          // the row of the last progress text
  int rowsAtBox;        // rows whose read request reached the box
  bool uesAtBox;        // the signature read reached the box
};

void PrintTo(const VerifyCase& c, std::ostream* os) {
  *os << c.name;
}

class LogicVerifyTest : public LogicStepsTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(LogicVerifyTest, ComparesBothImagesOfEveryRowThenTheSignature) {
  const VerifyCase& c = GetParam();
  const FuseMap map = PatternFuseMap();
  StoreInBox(map);
  ASSERT_TRUE(box_.logic().RestoreSignature(UesBitString(kUesText)));
  box_.logic().set_access(true);
  if (c.arrange) c.arrange(box_);
  if (c.lostOpcode != 0) LoseRequests(c.lostOpcode, c.lostRow);

  EXPECT_EQ(LogicVerify(map, kUesText, feedback_), c.message.empty());

  Strings statuses = {"Logic: Verifying ..."};
  for (const std::string& text : ProgressTexts("Logic: Verifying ...", c.lastRow)) {
    statuses.push_back(text);
  }
  EXPECT_EQ(feedback_.StatusTexts(), statuses);
  EXPECT_EQ(feedback_.MessageTexts(), c.message.empty() ? Strings{} : Strings{c.message});
  Strings rowsRead;
  for (int row = 0; row < c.rowsAtBox; ++row) rowsRead.push_back("k" + std::to_string(row));
  if (c.uesAtBox) rowsRead.push_back("m");
  EXPECT_EQ(Requests(), rowsRead);
  ExpectCursorBalanced();
}

void BadProgrammedImage(sim::Box& box) {
  box.faults().bad_programmed_image_row = 10;
}
void BadErasedImage(sim::Box& box) {
  box.faults().bad_erased_image_row = 10;
}
void BothImagesBad(sim::Box& box) {
  BadProgrammedImage(box);
  BadErasedImage(box);
}
void EraseDevice(sim::Box& box) {
  box.logic().Erase();
}
void BadSignature(sim::Box& box) {
  box.faults().signature_reads_differently = true;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogicVerifyTest,
    ::testing::Values(VerifyCase{"Matching", nullptr, 0, -1, "", 133, 134, true},
                      VerifyCase{"ProgrammedImageDiffers", BadProgrammedImage, 0, -1,
                                 "Logic: Fuse map programmed verification failed!", 10, 11, false},
                      VerifyCase{"ErasedImageDiffers", BadErasedImage, 0, -1,
                                 "Logic: Fuse map erased verification failed!", 10, 11, false},
                      VerifyCase{"BothImagesDiffer", BothImagesBad, 0, -1,
                                 "Logic: Fuse map programmed verification failed!", 10, 11, false},
                      VerifyCase{"DeviceStillErased", EraseDevice, 0, -1,
                                 "Logic: Fuse map programmed verification failed!", 0, 1, false},
                      VerifyCase{"SignatureDiffers", BadSignature, 0, -1,
                                 "Logic: UES verify failed!", 133, 134, true},
                      VerifyCase{"RowReadLost", nullptr, 'k', 20, kCommFailed, 20, 20, false},
                      VerifyCase{"SignatureReadLost", nullptr, 'm', -1, kCommFailed, 133, 134,
                                 false},
                      VerifyCase{"ShortReplies", NoAccess, 0, -1, kCommFailed, 0, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogicStepsTest, VerifyNeedsTheSignatureOfTheGivenText) {
  const FuseMap map = PatternFuseMap();
  StoreInBox(map);
  ASSERT_TRUE(box_.logic().RestoreSignature(UesBitString("B6001E>011")));
  box_.logic().set_access(true);
  EXPECT_FALSE(LogicVerify(map, kUesText, feedback_));
  EXPECT_EQ(feedback_.MessageTexts(), Strings{"Logic: UES verify failed!"});
  EXPECT_EQ(feedback_.status(), "Logic: Verifying ... ( 99% )");
}

}  // namespace
}  // namespace zelvo
