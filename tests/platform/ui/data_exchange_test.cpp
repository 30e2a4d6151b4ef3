#include "platform/ui/data_exchange.h"

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"
#include "tests/platform/ui/sample_dialog.h"

namespace zelvo::platform::ui {
namespace {

namespace ids = setup_dialog;
using ::testing::ElementsAre;
using testing::SampleDialog;

class DataExchangeTest : public ::testing::Test {
 protected:
  // Opens the dialog (the exchange towards the controls runs) with no user action yet.
  void Open() { ASSERT_EQ(dialog.DoModal(), kDialogFailed); }

  std::string TextOf(int id) { return window.FindControl(id)->GetWindowText(); }

  HeadlessDialogWindow window{SetupDialogTemplate()};
  SampleDialog dialog{window};
};

TEST_F(DataExchangeTest, BindsControlsOnTheFirstExchangeOnly) {
  Open();
  ASSERT_EQ(dialog.connect, window.FindButton(ids::kConnectButton));
  ASSERT_EQ(dialog.status, window.FindStatic(ids::kStatusLine));

  // A member that is bound stays as it is: a later exchange does not look the control up again.
  dialog.connect = window.FindButton(ids::kEraseButton);
  EXPECT_TRUE(dialog.UpdateData(true));
  EXPECT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(dialog.connect, window.FindButton(ids::kEraseButton));
}

TEST_F(DataExchangeTest, BindingAMissingControlFailsTheExchangeThere) {
  DialogTemplate without_connect = SetupDialogTemplate();
  std::erase_if(without_connect.controls,
                [](const ControlTemplate& c) { return c.id == ids::kConnectButton; });
  HeadlessDialogWindow other(without_connect);
  SampleDialog sample(other);
  sample.port_index = 3;
  EXPECT_FALSE(sample.UpdateData(false));
  EXPECT_EQ(sample.connect, nullptr);
  // The steps after the failing one did nothing.
  EXPECT_EQ(other.FindList(ids::kPortList)->GetCurSel(), -1);
}

TEST_F(DataExchangeTest, ListSelectionTowardsTheListsSelectsTheIndexOrNone) {
  struct Case {
    int index;
    int selected;
  };
  for (const Case& c : {Case{0, 0}, Case{18, 18}, Case{19, -1}, Case{65535, -1}, Case{-1, -1}}) {
    SCOPED_TRACE(c.index);
    dialog.port_index = c.index;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(window.FindList(ids::kPortList)->GetCurSel(), c.selected);
  }
}

TEST_F(DataExchangeTest, ListSelectionFromTheListsGivesTheIndexOrMinusOne) {
  dialog.port_index = 65535;  // no entry: the list shows none
  dialog.speed_index = 2;
  dialog.box_ip = "10.0.0.1";
  Open();
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.port_index, -1);
  EXPECT_EQ(dialog.speed_index, 2);

  ASSERT_TRUE(window.Pick(ids::kPortList, 4));
  ASSERT_TRUE(window.Pick(ids::kSpeedList, 0));
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.port_index, 4);
  EXPECT_EQ(dialog.speed_index, 0);
}

TEST_F(DataExchangeTest, MaxCharsTowardsTheControlsLimitsTypingOnly) {
  dialog.subnet_mask = "255.255.255.000.000";  // 19 characters from the document
  Open();
  EXPECT_EQ(window.FindEdit(ids::kBoxIpAddressEdit)->GetLimitText(), 15u);
  EXPECT_EQ(window.FindEdit(ids::kSubnetMaskEdit)->GetLimitText(), 15u);
  EXPECT_EQ(window.FindEdit(ids::kConfigFileNameEdit)->GetLimitText(), 0u);
  // A longer text from the values is shown whole; typing stops at the limit.
  EXPECT_EQ(TextOf(ids::kSubnetMaskEdit), "255.255.255.000.000");
  ASSERT_TRUE(window.Type(ids::kBoxIpAddressEdit, "192.168.100.200.7"));
  EXPECT_EQ(TextOf(ids::kBoxIpAddressEdit), "192.168.100.200");
  ASSERT_TRUE(window.Type(ids::kConfigFileNameEdit, std::string(300, 'f')));
  EXPECT_EQ(TextOf(ids::kConfigFileNameEdit), std::string(300, 'f'));
}

TEST_F(DataExchangeTest, TooLongTextFailsTakingValuesAtThatStep) {
  dialog.subnet_mask = "255.255.255.000.0";  // 17 characters
  dialog.gateway = "10.0.0.254";
  Open();
  ASSERT_TRUE(window.Type(ids::kBoxIpAddressEdit, "10.1.1.1"));
  ASSERT_TRUE(window.Type(ids::kConfigFileNameEdit, "boot.cfg"));
  ASSERT_TRUE(window.Type(ids::kDefaultGatewayEdit, "10.1.1.254"));
  ASSERT_TRUE(window.Pick(ids::kPortList, 2));
  window.ClearEvents();

  EXPECT_FALSE(dialog.UpdateData(true));

  ASSERT_EQ(window.events().size(), 1u);
  const RecordingFeedback::Event& box = window.events()[0];
  EXPECT_EQ(box.kind, RecordingFeedback::Kind::kMessage);
  EXPECT_EQ(box.text, "Please enter no more than 15 characters.");
  EXPECT_EQ(box.caption, "zelvoGDB Setup");
  EXPECT_EQ(box.icon, MessageIcon::kExclamation);
  EXPECT_EQ(box.buttons, MessageButtons::kOk);
  // Taken up to and including the failing step; the gateway after it keeps its old value.
  EXPECT_EQ(dialog.port_index, 2);
  EXPECT_EQ(dialog.box_ip, "10.1.1.1");
  EXPECT_EQ(dialog.file_name, "boot.cfg");
  EXPECT_EQ(dialog.subnet_mask, "255.255.255.000.0");
  EXPECT_EQ(dialog.gateway, "10.0.0.254");
  // The user is taken to the offending text.
  EXPECT_EQ(window.focused_id(), ids::kSubnetMaskEdit);
}

TEST_F(DataExchangeTest, FifteenCharactersPass) {
  dialog.subnet_mask = "255.255.255.000";
  Open();
  EXPECT_TRUE(dialog.UpdateData(true));
  EXPECT_THAT(window.MessageTexts(), ::testing::IsEmpty());
}

TEST_F(DataExchangeTest, ExchangeTowardsTheControlsRewritesTypedText) {
  dialog.box_ip = "10.0.0.1";
  dialog.speed_index = 4;
  Open();
  ASSERT_TRUE(window.Type(ids::kBoxIpAddressEdit, "10.9.9.9"));
  ASSERT_TRUE(window.Pick(ids::kSpeedList, 1));
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(TextOf(ids::kBoxIpAddressEdit), "10.0.0.1");
  EXPECT_EQ(window.FindList(ids::kSpeedList)->GetCurSel(), 4);
}

TEST_F(DataExchangeTest, StaticTextsGoBothWays) {
  Open();
  // The values are empty: the template's "unknown" is replaced when the dialog opens.
  EXPECT_EQ(TextOf(ids::kSerialNumberDisplay), "");
  dialog.serial_number = "12345678";
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(TextOf(ids::kSerialNumberDisplay), "12345678");
  window.FindStatic(ids::kSerialNumberDisplay)->SetWindowText("ABCDEFGHIJ");
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.serial_number, "ABCDEFGHIJ");
}

TEST_F(DataExchangeTest, ACheckAfterTheLastStepFailsWithEveryValueTaken) {
  Open();
  ASSERT_TRUE(window.Type(ids::kBoxIpAddressEdit, "1.2.3.4"));
  ASSERT_TRUE(window.Type(ids::kDefaultGatewayEdit, "1.2.3.254"));
  dialog.refuse = true;
  EXPECT_FALSE(dialog.UpdateData(true));
  EXPECT_THAT(window.MessageTexts(), ElementsAre("Refused!"));
  EXPECT_EQ(dialog.box_ip, "1.2.3.4");
  EXPECT_EQ(dialog.gateway, "1.2.3.254");
  // Towards the controls the check does not run.
  EXPECT_TRUE(dialog.UpdateData(false));
}

TEST_F(DataExchangeTest, StepsWithoutAControlOrTextBeforeThem) {
  std::string value = "kept";
  int index = 7;
  DataExchange to(window, ExchangeDirection::kToControls);
  to.MaxChars(3);  // nothing to limit yet
  EXPECT_FALSE(to.failed());
  DataExchange from(window, ExchangeDirection::kFromControls);
  from.CBIndex(ids::kBoxIpAddressEdit, index);  // an edit box is not a list
  EXPECT_TRUE(from.failed());
  from.Text(ids::kBoxIpAddressEdit, value);
  EXPECT_EQ(index, 7);
  EXPECT_EQ(value, "kept");
}

TEST_F(DataExchangeTest, OkEndsTheDialogOnlyWhenTheValuesPass) {
  dialog.subnet_mask = std::string(20, '1');
  window.Then([](HeadlessDialogWindow& w) { w.Press(kIdOk); });
  window.Then([](HeadlessDialogWindow& w) { w.Type(ids::kSubnetMaskEdit, "255.0.0.0"); });
  window.Then([](HeadlessDialogWindow& w) { w.PressEnter(); });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(dialog.init_count, 1);
  EXPECT_THAT(window.MessageTexts(), ElementsAre("Please enter no more than 15 characters."));
  EXPECT_EQ(dialog.subnet_mask, "255.0.0.0");
}

TEST_F(DataExchangeTest, CancelEndsTheDialogWithoutTakingValues) {
  dialog.box_ip = "10.0.0.1";
  window.Then([](HeadlessDialogWindow& w) { w.Type(ids::kBoxIpAddressEdit, "10.0.0.2"); });
  window.Then([](HeadlessDialogWindow& w) { w.PressEscape(); });
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.box_ip, "10.0.0.1");
}

}  // namespace
}  // namespace zelvo::platform::ui
