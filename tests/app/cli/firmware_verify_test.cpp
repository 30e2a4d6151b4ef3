#include "app/cli/firmware_verify.h"

#include <gtest/gtest.h>

#include "firmware/firmware_update.h"
#include "platform/recording_feedback.h"
#include "tests/support/box_fixture.h"
#include "tests/support/update_dir.h"

namespace zelvo::cli {
namespace {

// A box on COM1 holding what the update of firmware 1.05 (2 KiB) wrote into it.
class CliFirmwareVerifyTest : public zelvo::testing::BoxFixture {
 protected:
  void SetUp() override {
    image_ = updates_.Firmware(105, 2048);
    Connect();
    platform::RecordingFeedback update_status;
    ASSERT_EQ(UpdateFirmware(105, update_status), 0);
  }

  zelvo::testing::UpdateDir updates_;
  tools::FirmwareImage image_;
  platform::RecordingFeedback status_;
};

TEST_F(CliFirmwareVerifyTest, WhatTheUpdateWroteReadsBackEqual) {
  VerifyOutcome outcome = VerifyFirmware(105, status_);
  EXPECT_EQ(outcome.status, VerifyStatus::kEqual);
  EXPECT_EQ(outcome.records, 2048u / 32);
  std::vector<std::string> texts = status_.StatusTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "Verifying firmware ...");
  EXPECT_EQ(texts.back(), "Verifying firmware ... passed!");
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Verifying firmware ... ( 50% )"), texts.end());
}

TEST_F(CliFirmwareVerifyTest, TheFirstDifferenceIsReportedByItsAddress) {
  const uint32_t address = image_.address + 1000;
  const uint8_t wrong[] = {static_cast<uint8_t>(~image_.data[1000]),
                           static_cast<uint8_t>(~image_.data[1001])};
  box_.flash().Store(address, wrong, sizeof wrong);
  VerifyOutcome outcome = VerifyFirmware(105, status_);
  EXPECT_EQ(outcome.status, VerifyStatus::kDiffers);
  EXPECT_EQ(outcome.address, address);
  EXPECT_EQ(outcome.expected, image_.data[1000]);
  EXPECT_EQ(outcome.actual, wrong[0]);
  EXPECT_EQ(status_.status(), "Verifying firmware ... failed!");
}

TEST_F(CliFirmwareVerifyTest, AMissingMarkerIsADifference) {
  const uint8_t blank[] = {0xFF};
  box_.flash().Store(kFirmwareMarkerAddress + 2, blank, 1);
  VerifyOutcome outcome = VerifyFirmware(105, status_);
  EXPECT_EQ(outcome.status, VerifyStatus::kDiffers);
  EXPECT_EQ(outcome.address, kFirmwareMarkerAddress + 2);
  EXPECT_EQ(outcome.expected, 0x55);
}

TEST_F(CliFirmwareVerifyTest, NoFileOrNoReplyIsNoPass) {
  EXPECT_EQ(VerifyFirmware(106, status_).status, VerifyStatus::kFileUnusable);
  EXPECT_EQ(status_.status(), "Verifying firmware ... failed!");

  box_.faults().drop_replies = {100, 'e'};
  VerifyOutcome outcome = VerifyFirmware(105, status_);
  EXPECT_EQ(outcome.status, VerifyStatus::kReadFailed);
  EXPECT_EQ(outcome.address, image_.address);
  EXPECT_NE(outcome.code, 0);
}

}  // namespace
}  // namespace zelvo::cli
