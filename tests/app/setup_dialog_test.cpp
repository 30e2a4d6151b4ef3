#include "app/setup_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/firmware_update.h"
#include "link/serial_channel.h"
#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"
#include "tests/support/box_contents.h"
#include "tests/support/box_fixture.h"
#include "tests/support/update_dir.h"

namespace zelvo {
namespace {

namespace id = platform::ui::setup_dialog;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::RecordingFeedback;
using Texts = std::vector<std::string>;

// The dialog on a headless window, COM1 wired to a simulated box, update files in a directory
// of the test's own. The values are those a document would copy in.
class SetupDialogTest : public testing::BoxFixture {
 protected:
  SetupDialogTest() : window_(platform::ui::SetupDialogTemplate()), dlg_(window_) {
    ResetLastProgressPercentForTesting();
    dlg_.port_index = 0;
    dlg_.speed_index = 4;
    dlg_.box_ip_address = "192.168.1.10";
    dlg_.config_host_ip_address = "192.168.1.1";
    dlg_.config_file_name = "zelvo.cfg";
    dlg_.subnet_mask = "255.255.255.0";
    dlg_.default_gateway = "192.168.1.254";
  }

  void Open() {
    dlg_.Initialise();
    window_.ClearEvents();
  }
  void OpenAndConnect() {
    Open();
    dlg_.OnConnect();
    ASSERT_TRUE(dlg_.connected()) << window_.recorder().status();
    window_.ClearEvents();
    box_.ClearRequests();
  }

  std::string Text(int control) { return window_.FindControl(control)->GetWindowText(); }
  bool Enabled(int control) { return window_.FindControl(control)->IsWindowEnabled(); }
  // Connect, Current, Update, Transmit, Erase.
  std::vector<bool> Buttons() {
    return {Enabled(id::kConnectButton), Enabled(id::kCurrentButton), Enabled(id::kUpdateButton),
            Enabled(id::kTransmitButton), Enabled(id::kEraseButton)};
  }
  Texts Messages() const { return window_.MessageTexts(); }
  Texts Statuses() const { return window_.StatusTexts(); }
  // Every message box was shown with the cursor at the command's own level or above none.
  void ExpectCursorBackToNormal() { EXPECT_EQ(window_.WaitCursorLevel(), 0); }
  long Count(uint8_t opcode) const {
    return std::count_if(box_.requests().begin(), box_.requests().end(),
                         [&](const auto& r) { return r.opcode == opcode; });
  }
  std::vector<uint8_t> Opcodes() const {
    std::vector<uint8_t> ops;
    for (const auto& r : box_.requests()) ops.push_back(r.opcode);
    return ops;
  }

  testing::UpdateDir updates_;
  platform::ui::HeadlessDialogWindow window_;
  CSetupDlg dlg_;
};

TEST_F(SetupDialogTest, OpeningShowsTheNewestFilesAndOnlyConnectEnabled) {
  updates_.Firmware(105);
  updates_.Logic(12);
  dlg_.Initialise();
  EXPECT_EQ(window_.recorder().status(), "");
  EXPECT_EQ(Text(id::kFirmwareNewestDisplay), "1.05");
  EXPECT_EQ(Text(id::kLogicNewestDisplay), "0.12");
  for (int display :
       {id::kLoaderCurrentDisplay, id::kFirmwareCurrentDisplay, id::kLogicCurrentDisplay}) {
    EXPECT_EQ(Text(display), "unknown");
  }
  EXPECT_EQ(Text(id::kSerialNumberDisplay), "");
  EXPECT_EQ(Text(id::kMacAddressDisplay), "");
  EXPECT_EQ(Text(id::kBoxIpAddressEdit), "192.168.1.10");
  EXPECT_EQ(window_.FindList(id::kPortList)->GetCurSel(), 0);
  EXPECT_EQ(window_.FindList(id::kSpeedList)->GetCurSel(), 4);
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(SetupDialogTest, ConnectShowsTheBoxAndEnablesItsCommands) {
  updates_.Firmware(105);
  updates_.Logic(12);
  box_.set_serial("1234567890");
  box_.set_loader_version(123);
  testing::GiveBoxVersions(box_, 104, 12);
  Open();
  dlg_.OnConnect();
  EXPECT_EQ(Statuses(),
            (Texts{"Connecting to ZELVO Loader ...", "Connecting to ZELVO Loader passed!"}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Text(id::kSerialNumberDisplay), "1234567890");
  EXPECT_EQ(Text(id::kMacAddressDisplay), "0A1B2C123456");
  EXPECT_EQ(Text(id::kLoaderCurrentDisplay), "1.23");
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "1.04");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "0.12");
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, true, true, true}));
  EXPECT_TRUE(SerialChannel::OpenFlag());
  ExpectCursorBackToNormal();
}

TEST_F(SetupDialogTest, NoFilesAndABoxWithoutVersionsLeaveUpdateDisabled) {
  OpenAndConnect();
  EXPECT_EQ(Text(id::kFirmwareNewestDisplay), "unknown");
  EXPECT_EQ(Text(id::kLogicNewestDisplay), "unknown");
  EXPECT_FALSE(Enabled(id::kUpdateButton));
}

TEST_F(SetupDialogTest, ConnectWithNoBoxMakesTenAttemptsThenGivesUp) {
  box_.faults().silent = true;
  Open();
  dlg_.OnConnect();
  EXPECT_EQ(line_.opens(), 10);
  EXPECT_FALSE(line_.is_open());
  EXPECT_EQ(Messages(), Texts{"Cannot connect to ZELVO loader!"});
  EXPECT_EQ(window_.recorder().status(), "Connecting to ZELVO loader failed!");
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, false, false, false, false}));
  const auto& events = window_.events();
  auto message = std::find_if(events.begin(), events.end(), [](const auto& e) {
    return e.kind == RecordingFeedback::Kind::kMessage;
  });
  ASSERT_NE(message, events.end());
  EXPECT_EQ(message->cursor_level, 0) << "the wait cursor ends before the message box";
  EXPECT_EQ(message->caption, "zelvoGDB Setup");
}

TEST_F(SetupDialogTest, BoxWithLoaderVersionZeroEndsAfterOneAttempt) {
  box_.set_loader_version(0);
  Open();
  dlg_.OnConnect();
  EXPECT_EQ(line_.opens(), 1);
  EXPECT_FALSE(line_.is_open());
  EXPECT_EQ(Messages(), Texts{"There is no ZELVO9 connected!"});
  EXPECT_EQ(window_.recorder().status(), "Connecting to ZELVO loader failed!");
  EXPECT_TRUE(Enabled(id::kConnectButton));
}

TEST_F(SetupDialogTest, NoPortSelectedFailsEveryAttempt) {
  dlg_.port_index = 65535;  // from a document: no entry selected
  Open();
  dlg_.OnConnect();
  EXPECT_EQ(dlg_.port_index, -1);
  EXPECT_EQ(line_.opens(), 0);
  EXPECT_EQ(Messages(), Texts{"Cannot connect to ZELVO loader!"});
}

TEST_F(SetupDialogTest, BoxIpAddressIsCheckedBeforeConnectTransmitAndOk) {
  for (const char* bad : {"255.255.255.255", "", "10.0.0.1 "}) {
    SCOPED_TRACE(bad);
    dlg_.box_ip_address = bad;
    Open();
    dlg_.OnConnect();
    dlg_.OnTransmit();
    EXPECT_EQ(Messages(), (Texts{"Invalid IP address!", "Invalid IP address!"}));
    EXPECT_EQ(window_.events()[0].icon, MessageIcon::kExclamation);
    EXPECT_TRUE(Statuses().empty());
    EXPECT_EQ(line_.opens(), 0);
  }
  dlg_.box_ip_address = "010.000.000.001";
  Open();
  dlg_.OnConnect();
  EXPECT_TRUE(dlg_.connected());
}

TEST_F(SetupDialogTest, UpdateOfTheFirmwareAloneWhenTheLogicIsCurrent) {
  tools::FirmwareImage image = updates_.Firmware(105);
  updates_.Logic(12);
  testing::GiveBoxVersions(box_, 104, 12);
  OpenAndConnect();
  ASSERT_TRUE(Enabled(id::kUpdateButton));
  dlg_.OnUpdate();
  Texts statuses = Statuses();
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.front(), "Firmware: Erasing Flash ...");
  EXPECT_EQ(statuses.back(), "Updating firmware and logic passed!");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Firmware: Programming Flash ... passed!"),
            statuses.end());
  EXPECT_EQ(Count('l'), 0) << "no logic programmed";
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "1.05");
  EXPECT_FALSE(Enabled(id::kUpdateButton));
  EXPECT_EQ(box_.flash().Read(image.address, image.data.size()), image.data);
  ExpectCursorBackToNormal();
}

TEST_F(SetupDialogTest, FullUpdateLeavesTheBoxHoldingTheFilesAndReportsTheNewVersions) {
  tools::FirmwareImage firmware = updates_.Firmware(105, 16 * 1024);
  tools::LogicImage logic = updates_.Logic(12);
  OpenAndConnect();
  dlg_.OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  EXPECT_TRUE(Messages().empty()) << Messages()[0];
  EXPECT_EQ(box_.flash().Read(firmware.address, firmware.data.size()), firmware.data);
  EXPECT_EQ(box_.flash().Read(0x01040000, 4), (std::vector<uint8_t>{0xAA, 0x55, 0x55, 0xAA}));
  for (int row = 0; row < 134; ++row) ASSERT_EQ(box_.logic().row(row), logic.rows[row]) << row;
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "1.05");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "0.12");
  EXPECT_FALSE(Enabled(id::kUpdateButton));
  ExpectCursorBackToNormal();
}

TEST_F(SetupDialogTest, BoxNeedingTheOtherLogicFileFailsWhenItIsMissing) {
  updates_.Logic(12);  // SWDJED20.012 only
  box_.set_serial("123456789C");
  OpenAndConnect();
  dlg_.OnUpdate();
  EXPECT_EQ(Messages(), Texts{"Logic: Cannot open JEDEC file!"});
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic failed!");
  EXPECT_EQ(Opcodes(), (std::vector<uint8_t>{'i'})) << "only access off, nothing erased";
  EXPECT_EQ(box_.requests()[0].payload, std::vector<uint8_t>{0});
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "unknown");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "unknown");

  updates_.Logic(12, "SWDJED21");
  window_.ClearEvents();
  dlg_.OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
}

TEST_F(SetupDialogTest, UpdateWithNothingToDoOnlyReadsTheIdentity) {
  updates_.Firmware(105);
  updates_.Logic(12);
  testing::GiveBoxVersions(box_, 105, 12);
  OpenAndConnect();
  dlg_.OnUpdate();
  EXPECT_EQ(Opcodes(), (std::vector<uint8_t>{'r', 'd'}));
  EXPECT_EQ(Statuses(), Texts{"Updating firmware and logic passed!"});
}

TEST_F(SetupDialogTest, FailedFirmwareUpdateStopsBeforeTheLogic) {
  updates_.Firmware(105);
  updates_.Logic(12);
  box_.faults().failing_erase_sectors.insert(0x01080000);
  OpenAndConnect();
  dlg_.OnUpdate();
  EXPECT_EQ(Messages(), Texts{"Firmware update failed!"});
  EXPECT_EQ(Statuses(), (Texts{"Firmware: Erasing Flash ...", "Firmware: Erasing Flash ... failed!",
                               "Updating firmware and logic failed!"}));
  EXPECT_EQ(Opcodes(), (std::vector<uint8_t>{'g', 'g'}));
  EXPECT_TRUE(Enabled(id::kUpdateButton));
}

TEST_F(SetupDialogTest, EraseAnsweredNoChangesNothing) {
  OpenAndConnect();
  window_.Answer(MessageAnswer::kNo);
  dlg_.OnErase();
  ASSERT_EQ(window_.events().size(), 1u);
  EXPECT_EQ(window_.events()[0].text, "Erase Flash and EPLD?");
  EXPECT_EQ(window_.events()[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(window_.events()[0].icon, MessageIcon::kExclamation);
  EXPECT_TRUE(box_.requests().empty());
}

TEST_F(SetupDialogTest, EraseWithAnotherLogicDeviceStillErasesTheFlash) {
  testing::GiveBoxVersions(box_, 104, 12);
  box_.set_device_type(18);
  OpenAndConnect();
  window_.Answer(MessageAnswer::kYes);
  dlg_.OnErase();
  EXPECT_EQ(Messages(), (Texts{"Erase Flash and EPLD?", "Logic: Unknown ispLSI device type!"}));
  EXPECT_EQ(Statuses(), (Texts{"Erasing Flash and EPLD ...", "Erasing all flash sectors ...",
                               "Erasing Flash and EPLD failed!"}));
  EXPECT_EQ(Count('g'), 6);
  EXPECT_EQ(Count('p'), 0);
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "unkown");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "unkown");
  ExpectCursorBackToNormal();
}

TEST_F(SetupDialogTest, SuccessfulEraseEnablesUpdateEvenWithoutFiles) {
  testing::GiveBoxVersions(box_, 104, 12);
  OpenAndConnect();
  dlg_.OnErase();
  EXPECT_EQ(window_.recorder().status(), "Erasing Flash and EPLD passed!");
  EXPECT_TRUE(Enabled(id::kUpdateButton));
  EXPECT_EQ(box_.firmware_raw_version(), 0);
  EXPECT_EQ(box_.logic_raw_version(), 0);
  EXPECT_EQ(box_.flash().Read(0x01008000, 4), std::vector<uint8_t>(4, 0xFF));
}

TEST_F(SetupDialogTest, TransmitWritesTheSetupRecordAndReportsItsOutcome) {
  OpenAndConnect();
  dlg_.OnTransmit();
  EXPECT_EQ(Statuses(), (Texts{"Writing setup data ....", "Writing setup data passed"}));
  EXPECT_EQ(box_.flash().Read(0x01008008, 4), (std::vector<uint8_t>{192, 168, 1, 10}));
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, false, true, true}));

  window_.ClearEvents();
  box_.faults().failing_erase_sectors.insert(0x01008000);
  dlg_.OnTransmit();
  EXPECT_EQ(window_.recorder().status(), "Writing setup data failed!");
  ASSERT_EQ(Messages(), Texts{"Transfer failed!"});
  const auto& box = window_.events().back();
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageIcon::kExclamation);
  EXPECT_EQ(box.cursor_level, 0);
}

TEST_F(SetupDialogTest, OverlongAddressFromTheDocumentIsShownWholeButStopsTakingValues) {
  dlg_.subnet_mask = "255.255.255.000.0";  // 17 characters, from a document
  Open();
  EXPECT_EQ(Text(id::kSubnetMaskEdit), "255.255.255.000.0");
  dlg_.OnConnect();
  dlg_.OnTransmit();
  EXPECT_EQ(Messages(), (Texts{"Please enter no more than 15 characters.",
                               "Please enter no more than 15 characters."}));
  EXPECT_EQ(window_.events()[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(line_.opens(), 0);
  EXPECT_TRUE(Statuses().empty());
}

TEST_F(SetupDialogTest, CurrentRestoresAFieldEditedSinceTheLastExchange) {
  OpenAndConnect();
  window_.FindEdit(id::kBoxIpAddressEdit)->SetWindowText("10.1.1.1");
  box_.set_serial("87654321");
  dlg_.OnCurrent();
  EXPECT_EQ(Statuses(),
            (Texts{"Reading current versions, please wait.", "Reading current versions passed!"}));
  EXPECT_EQ(Text(id::kBoxIpAddressEdit), "192.168.1.10");
  EXPECT_EQ(Text(id::kSerialNumberDisplay), "87654321");

  window_.ClearEvents();
  box_.faults().silent = true;
  dlg_.OnCurrent();
  EXPECT_EQ(Messages(), Texts{"Communication with ZELVO failed!"});
  EXPECT_EQ(window_.recorder().status(), "Reading current versions failed!");
}

TEST_F(SetupDialogTest, CancelWithoutAConnectionStartsNothingAndEnds) {
  Open();
  dlg_.OnCancel();
  EXPECT_EQ(Statuses(), Texts{"Starting firmware please wait...."});
  EXPECT_TRUE(line_.writes().empty());
  EXPECT_EQ(window_.result(), platform::ui::kIdCancel);
}

TEST_F(SetupDialogTest, OkStartsTheFirmwareClosesTheLinkAndThenChecksTheValues) {
  OpenAndConnect();
  window_.FindEdit(id::kBoxIpAddressEdit)->SetWindowText("255.255.255.255");
  dlg_.OnOK();
  EXPECT_EQ(Opcodes(), std::vector<uint8_t>{'q'});
  EXPECT_FALSE(line_.is_open());
  EXPECT_EQ(Messages(), Texts{"Invalid IP address!"});
  EXPECT_EQ(window_.recorder().status(), "Starting firmware please wait....");
  EXPECT_FALSE(window_.ended()) << "the dialog stays open";
}

TEST_F(SetupDialogTest, ModalRunEndsWithOkAndTakesTheEditedValues) {
  window_.Then([](platform::ui::HeadlessDialogWindow& w) {
    w.Press(id::kConnectButton);
    w.Type(id::kConfigFileNameEdit, "A.cfg");
    w.Press(id::kOkButton);
  });
  EXPECT_EQ(dlg_.DoModal(), platform::ui::kIdOk);
  EXPECT_EQ(dlg_.config_file_name, "A.cfg");
  EXPECT_EQ(Count('q'), 1);
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
}

}  // namespace
}  // namespace zelvo
