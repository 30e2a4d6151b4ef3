#include "loader/loader_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "link/request_exchange.h"
#include "tests/support/link_fixture.h"

namespace zelvo {
namespace {

using testing::Bytes;
using testing::Framed;
using testing::Reply;
using testing::Unframed;

// A connected link to a far end that answers each request with the content a test gives.
class LoaderCommandsTest : public testing::LinkFixture {
 protected:
  void SetUp() override { Connected(115200); }
  void Answer(std::vector<Bytes> contents) {
    std::vector<Bytes> frames;
    for (const Bytes& c : contents) frames.push_back(Framed(Reply(c)));
    peer_.AnswerWrites(frames);
  }
  // The content (header stripped) of the request written last.
  Bytes LastRequest() const {
    Bytes message = Unframed(line_.writes().back().bytes);
    return Bytes(message.begin() + 2, message.end());
  }
  static Bytes With(Bytes head, size_t total, uint8_t fill) {
    head.resize(total, fill);
    return head;
  }
};

TEST_F(LoaderCommandsTest, ReadMemoryOfTheSetupRecord) {
  Bytes reply = {'e', 1, 0, 0x80, 0, 0, 104};
  for (int i = 0; i < 104; ++i) reply.push_back(static_cast<uint8_t>(i));
  Answer({reply});
  uint8_t data[104] = {};
  ASSERT_EQ(ReadMemory(0x01008000, 104, data), 0);
  EXPECT_EQ(LastRequest(), (Bytes{0x65, 0x01, 0x00, 0x80, 0x00, 0x00, 0x68}));
  for (int i = 0; i < 104; ++i) EXPECT_EQ(data[i], i);
}

TEST_F(LoaderCommandsTest, ReadMemoryRefusesAReplyOfTheWrongShape) {
  uint8_t data[104] = {};
  Answer({With({'e'}, 110, 0)});
  EXPECT_EQ(ReadMemory(0x01008000, 104, data), kBadReply) << "one byte short";
  Answer({With({'E'}, 111, 0)});
  EXPECT_EQ(ReadMemory(0x01008000, 104, data), kBadReply) << "wrong echoed opcode";
}

TEST_F(LoaderCommandsTest, EraseFlashSectorChecksLengthThenOpcodeThenStatus) {
  const std::pair<Bytes, int> cases[] = {{{0x67, 0x00}, 0},
                                         {{0x67, 0x01}, kEraseFailed},
                                         {{0x68, 0x00}, kBadReply},
                                         {{0x68, 0x01}, kBadReply},
                                         {{0x67, 0x00, 0x00}, kBadReply}};
  for (const auto& [reply, rc] : cases) {
    Answer({reply});
    EXPECT_EQ(EraseFlashSector(0x01040000), rc);
    EXPECT_EQ(LastRequest(), (Bytes{0x67, 0x01, 0x04, 0x00, 0x00}));
  }
}

TEST_F(LoaderCommandsTest, EraseAllowsTheBoxTenSecondsOfItsOwn) {
  peer_.answer_delay_ms = 10100;  // beyond any other command's reply timeout
  Answer({{0x67, 0x00}});
  EXPECT_EQ(EraseFlashSector(0x01040000), 0);
  EXPECT_EQ(line_.writes().size(), 1u);
  Answer({{'e', 0, 0, 0, 0, 0, 0}, {'e', 0, 0, 0, 0, 0, 0}, {'e', 0, 0, 0, 0, 0, 0}});
  EXPECT_EQ(ReadMemory(0x01000000, 0, nullptr), kNoValidReply);
}

TEST_F(LoaderCommandsTest, ProgramFlashSendsAddressCountAndData) {
  const uint8_t data[] = {0xAA, 0x55, 0x55, 0xAA};
  const std::pair<Bytes, int> cases[] = {{{0x68, 0x00, 9, 9, 9, 9}, 0},
                                         {{0x68, 0x05, 0, 0, 0, 0}, kProgramFailed},
                                         {{0x68, 0x00}, kBadReply},
                                         {{0x67, 0x00, 0, 0, 0, 0}, kBadReply}};
  for (const auto& [reply, rc] : cases) {
    Answer({reply});
    EXPECT_EQ(ProgramFlash(0x01040000, 4, data), rc);
    EXPECT_EQ(LastRequest(),
              (Bytes{0x68, 0x01, 0x04, 0x00, 0x00, 0x00, 0x04, 0xAA, 0x55, 0x55, 0xAA}));
  }
}

TEST_F(LoaderCommandsTest, CommandsWithoutReplyChecksAcceptEvenAnEmptyReply) {
  const std::string row(240, '1');
  const std::string ues(120, '0');
  const std::pair<std::function<int()>, Bytes> cases[] = {
      {[] { return SetLogicAccess(true); }, {0x69, 0x01}},
      {[] { return SetLogicAccess(false); }, {0x69, 0x00}},
      {[&] { return ProgramFuseRow(7, row); }, With({0x6C, 7}, 242, '1')},
      {[&] { return WriteUes(ues); }, With({0x6E}, 121, '0')},
      {[] { return EraseLogic(); }, {0x70}},
      {[] { return StartFirmware(); }, {0x71}},
  };
  for (const auto& [command, request] : cases) {
    Answer({{}});
    EXPECT_EQ(command(), 0);
    EXPECT_EQ(LastRequest(), request);
  }
}

TEST_F(LoaderCommandsTest, FuseRowAndSignatureRepliesAreCheckedByLengthOnly) {
  std::string programmed, erased;
  Bytes row = {'X'};
  row.insert(row.end(), 240, '0');
  row.insert(row.end(), 240, '1');
  Answer({row});
  ASSERT_EQ(ReadFuseRow(133, programmed, erased), 0);
  EXPECT_EQ(LastRequest(), (Bytes{0x6B, 133}));
  EXPECT_EQ(programmed, std::string(240, '0'));
  EXPECT_EQ(erased, std::string(240, '1'));
  Answer({With({'k'}, 480, '0')});
  EXPECT_EQ(ReadFuseRow(0, programmed, erased), kBadReply);

  std::string ues = "previous";
  Answer({With({'?'}, 121, '1')});
  ASSERT_EQ(ReadUes(ues), 0);
  EXPECT_EQ(ues, std::string(120, '1'));
  Answer({With({'m'}, 120, '1')});
  EXPECT_EQ(ReadUes(ues), kBadReply);
}

TEST_F(LoaderCommandsTest, DeviceTypeIsPositionOneAndAShortReplyCarriesNone) {
  const std::pair<Bytes, uint8_t> cases[] = {
      {{'j', 19}, 19}, {{'?', 18, 5}, 18}, {{'j'}, 0}, {{}, 0}};
  for (const auto& [reply, type] : cases) {
    Answer({reply});
    uint8_t got = 99;
    ASSERT_EQ(ReadLogicDeviceId(got), 0);
    EXPECT_EQ(got, type);
  }
}

TEST_F(LoaderCommandsTest, ProgramFlashOfMoreThanOneRequestHoldsIsRefusedUnsent) {
  std::vector<uint8_t> data(1492, 0);
  size_t writes = line_.writes().size();
  EXPECT_EQ(ProgramFlash(0x01040000, 1492, data.data()), kRequestTooLong);
  EXPECT_EQ(line_.writes().size(), writes);
}

TEST(LoaderCommandsUnconnected, EveryCommandNeedsAConnection) {
  std::string a, b;
  uint8_t buffer[8] = {};
  uint8_t type = 0;
  int length = 0;
  const std::function<int()> commands[] = {
      [] { return LoaderCheck(); },
      [&] { return ReadIdentity(length); },
      [&] { return ReadMemory(0x01008000, 8, buffer); },
      [] { return EraseFlashSector(0x01040000); },
      [&] { return ProgramFlash(0x01040000, 4, buffer); },
      [] { return SetLogicAccess(true); },
      [&] { return ReadLogicDeviceId(type); },
      [&] { return ReadFuseRow(0, a, b); },
      [&] { return ProgramFuseRow(0, a); },
      [&] { return ReadUes(a); },
      [&] { return WriteUes(a); },
      [] { return EraseLogic(); },
      [] { return StartFirmware(); },
  };
  for (const auto& command : commands) EXPECT_EQ(command(), kNotConnected);
}

}  // namespace
}  // namespace zelvo
