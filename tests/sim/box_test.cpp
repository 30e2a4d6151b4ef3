#include "sim/box.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/inprocess_serial_line.h"
#include "platform/serial_device.h"
#include "platform/tick_clock.h"
#include "sim/box_versions.h"
#include "tests/sim/box_wire.h"

namespace zelvo::sim {
namespace {

using testing::BoxWire;
using testing::Bytes;
using testing::Cat;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::Framed;
using ::testing::IsEmpty;
using testing::Unframe;

const Bytes kPing = {0x00, 0x01, 0x01};
const Bytes kPingLine = {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00};

Bytes SetSpeedMessage(uint32_t rate) {
  return Cat({0x00, 0x05, 0x03}, testing::Be32(rate));
}

Bytes ProgramContent(uint32_t address, const Bytes& data) {
  Bytes content = Cat({'h'}, testing::Be32(address));
  content.push_back(uint8_t(data.size() >> 8));
  content.push_back(uint8_t(data.size()));
  return Cat(content, data);
}

Bytes ReadContent(uint32_t address, uint16_t count) {
  return Cat(Cat({'e'}, testing::Be32(address)), {uint8_t(count >> 8), uint8_t(count)});
}

Bytes EraseContent(uint32_t address) {
  return Cat({'g'}, testing::Be32(address));
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class SimBox : public ::testing::Test {
 protected:
  BoxWire wire_;
  Box& box_ = wire_.box;
};

TEST_F(SimBox, AnswersAPingByteForByteAtLineSpeed) {
  box_.SetProcessingMs(5);
  std::vector<platform::TimedByte> out = wire_.Send(kPingLine, 9600);
  ASSERT_THAT(BoxWire::BytesOf(out), ElementsAreArray(kPingLine));
  // The request's 8 bytes take 8.33 ms from tick 1000, the box works 5 ms, then each reply byte
  // takes 1.04 ms at 9600 baud; ticks are rounded up to the whole millisecond.
  std::vector<uint32_t> ticks;
  for (const platform::TimedByte& b : out) ticks.push_back(b.tick);
  EXPECT_THAT(ticks, ElementsAre(1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022));
  ASSERT_EQ(box_.requests().size(), 1u);
  EXPECT_EQ(box_.requests()[0].opcode, kOpPing);
  EXPECT_EQ(box_.requests()[0].baud, 9600u);
  EXPECT_EQ(box_.requests()[0].tick, 1009u);
  EXPECT_FALSE(box_.requests()[0].exchange_flag());
}

TEST_F(SimBox, OnAMicrosecondClockEveryByteCarriesItsExactLineTime) {
  box_.set_listen_rate(115200);
  box_.SetProcessingMs(2);
  const uint64_t start = 5'000'123;
  box_.OnHostBytesUs(kPingLine.data(), kPingLine.size(), 115200, start);
  std::vector<TimedByteUs> out;
  box_.TakeOutputUs(out);
  ASSERT_EQ(out.size(), kPingLine.size());
  // A byte takes 86.8 us at 115200 baud: the request's 8 bytes have arrived after 694 us, the
  // box works 2 ms, then its reply's bytes follow, none of them moved to a millisecond.
  const uint64_t reply_start = start + 694 + 2000;
  const uint64_t ends[] = {86, 173, 260, 347, 434, 520, 607, 694};
  for (size_t k = 0; k < out.size(); ++k) {
    EXPECT_EQ(out[k].at_us, reply_start + ends[k]) << k;
    EXPECT_EQ(out[k].byte, kPingLine[k]) << k;
  }
  ASSERT_EQ(box_.requests().size(), 1u);
  EXPECT_EQ(box_.requests()[0].arrival_us, start + 694);

  // A request written while the reply is still on the line gets its reply after that one.
  box_.OnHostBytesUs(kPingLine.data(), kPingLine.size(), 115200, start + 100);
  box_.TakeOutputUs(out);
  ASSERT_EQ(out.size(), 2 * kPingLine.size());
  EXPECT_EQ(out[8].at_us, reply_start + 694 + 86);
  EXPECT_EQ(out.back().at_us, reply_start + 2 * 694);
}

TEST(SimBoxClocks, TheMillisecondTickIsTheMicrosecondTimeRoundedUp) {
  // The same exchanges on both ways of driving a box: a rate change, short and long replies.
  const Bytes requests[] = {
      Framed(SetSpeedMessage(115200)),
      Framed(testing::ExchangeMessage({'i', 1})),
      Framed(testing::ExchangeMessage({'k', 7})),
      Framed(testing::ExchangeMessage({'r'})),
  };
  const uint32_t rates[] = {9600, 115200, 115200, 115200};
  Box by_tick;
  Box by_us;
  by_tick.SetProcessingMs(3);
  by_us.SetProcessingMs(3);
  uint32_t tick = 2000;
  for (size_t i = 0; i < std::size(requests); ++i) {
    SCOPED_TRACE(i);
    const Bytes& raw = requests[i];
    by_tick.OnHostBytes(raw.data(), raw.size(), rates[i], tick);
    by_us.OnHostBytesUs(raw.data(), raw.size(), rates[i], uint64_t{tick} * 1000);
    std::vector<platform::TimedByte> ticked;
    std::vector<TimedByteUs> exact;
    by_tick.TakeOutput(ticked);
    by_us.TakeOutputUs(exact);
    ASSERT_FALSE(exact.empty());
    ASSERT_EQ(ticked.size(), exact.size());
    for (size_t k = 0; k < exact.size(); ++k) {
      EXPECT_EQ(ticked[k].byte, exact[k].byte);
      EXPECT_EQ(ticked[k].tick, (exact[k].at_us + 999) / 1000) << k;
    }
    EXPECT_EQ(by_tick.requests().back().tick, (by_us.requests().back().arrival_us + 999) / 1000);
    tick = ticked.back().tick + 1;
  }
  EXPECT_EQ(by_us.listen_rate(), 115200u);
}

TEST_F(SimBox, DropsBytesThatComeAtAnotherRate) {
  EXPECT_THAT(wire_.Send(kPingLine, 19200), IsEmpty());
  // Half a frame at the right rate, the rest at a wrong one: the frame is lost.
  wire_.Send(Bytes(kPingLine.begin(), kPingLine.begin() + 4), 9600);
  EXPECT_THAT(wire_.Send(Bytes(kPingLine.begin() + 4, kPingLine.end()), 115200), IsEmpty());
  EXPECT_THAT(wire_.Message(kPing, 9600), ElementsAre(kPing));
  EXPECT_EQ(box_.requests().size(), 1u);
}

TEST_F(SimBox, IgnoresFramesThatAreNoRequest) {
  const Bytes frames[] = {
      Framed({0x10, 0x02, 'r'}),                         // header says 2, content has 1
      Framed({0x10, 0x00, 'r'}),                         // header says 0
      Framed({0x10, 0x01, 'z'}),                         // no such command
      Framed({0x10}),                                    // too short for a header
      {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x07},  // bad check byte
  };
  for (const Bytes& frame : frames) EXPECT_THAT(wire_.Send(frame, 9600), IsEmpty());
  EXPECT_EQ(box_.ignored_frames(), 5);
  EXPECT_THAT(box_.requests(), IsEmpty());
  // The wake-up bytes in front of a ping change nothing.
  EXPECT_THAT(wire_.Message(kPing, 9600), ElementsAre(kPing));
  EXPECT_THAT(BoxWire::BytesOf(wire_.Send(Cat({0xDB, 0xDE}, kPingLine), 9600)),
              ElementsAreArray(kPingLine));
}

TEST_F(SimBox, SetSpeedIsConfirmedAtTheOldRateThenTheLoaderMoves) {
  std::vector<platform::TimedByte> out = wire_.Send(Framed(SetSpeedMessage(115200)), 9600);
  EXPECT_THAT(BoxWire::BytesOf(out),
              ElementsAre(0x10, 0x02, 0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00, 0x10, 0x03, 0xC5));
  // Twelve bytes at 9600 baud: the reply spans 12.5 ms, not the 1 ms it would at 115200.
  EXPECT_GE(out.back().tick - out.front().tick, 11u);
  EXPECT_THAT(wire_.Message(kPing, 9600), IsEmpty());
  EXPECT_THAT(wire_.Message(kPing, 115200), ElementsAre(kPing));
  EXPECT_EQ(box_.listen_rate(), 115200u);
}

TEST_F(SimBox, KeepsTheOldRateUntilItsSetSpeedReplyIsOut) {
  // SetSpeed from tick 1000 takes 12.5 ms to arrive and its reply 12.5 ms more at 9600 baud.
  std::vector<platform::TimedByte> out = wire_.Send(Framed(SetSpeedMessage(115200)), 9600);
  ASSERT_EQ(out.back().tick, 1025u);
  wire_.now = 1012;  // a host that switches before the reply is through is not heard
  EXPECT_THAT(wire_.Message(kPing, 115200), IsEmpty());
  wire_.now = 1026;
  EXPECT_THAT(wire_.Message(kPing, 115200), ElementsAre(kPing));
}

TEST_F(SimBox, RepliesEchoSequenceAndFlagWithTheirOwnLength) {
  for (uint8_t sequence = 0; sequence < 4; ++sequence) {
    std::vector<Bytes> replies = wire_.Request({'r'}, 9600, sequence);
    ASSERT_EQ(replies.size(), 1u);
    uint8_t header0 = static_cast<uint8_t>(0x10 | (sequence << 6));
    EXPECT_THAT(replies[0], ElementsAre(header0, 0x01, kLoaderCheckAnswer));
    EXPECT_EQ(box_.requests().back().sequence(), sequence);
    EXPECT_TRUE(box_.requests().back().exchange_flag());
  }
  // A reply longer than 255 content bytes carries bits 8-10 of its length in header byte 0.
  std::vector<Bytes> replies = wire_.Request({'k', 0});
  EXPECT_THAT(replies, ElementsAre(ElementsAre(0x10, 0x01, 'k')));
  wire_.Request({'i', 1});
  replies = wire_.Request({'k', 0});
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], 0x11);  // 481 = 0x1E1
  EXPECT_EQ(replies[0][1], 0xE1);
  EXPECT_EQ(replies[0].size(), 483u);
}

TEST_F(SimBox, IdentityReplyOf15Or17Bytes) {
  EXPECT_THAT(wire_.Content({'d'}),
              ElementsAreArray(Cat({'d', 0x00, 105, 0, 0, 0, 0}, Text("12345678"))));
  box_.set_loader_version(0x0100);
  ASSERT_TRUE(box_.set_serial("123456789C"));
  EXPECT_THAT(wire_.Content({'d'}),
              ElementsAreArray(Cat({'d', 0x01, 0x00, 0, 0, 0, 0}, Text("123456789C"))));
  EXPECT_FALSE(box_.set_serial("123456789"));
  EXPECT_EQ(box_.serial(), "123456789C");
}

TEST_F(SimBox, IdentityFollowsTheFirmwareMarkerAndTheSignature) {
  // The update's order: the image with its version word first, the marker last.
  ASSERT_THAT(wire_.Content(ProgramContent(0x01040004, {0x30, 0x11, 0x00, 0x00})),
              ElementsAre('h', 0, ::testing::_, ::testing::_, ::testing::_, ::testing::_));
  EXPECT_EQ(wire_.Content({'d'})[3], 0x00);
  wire_.Content(ProgramContent(0x01040000, {0xAA, 0x55, 0x55, 0xAA}));
  Bytes identity = wire_.Content({'d'});
  EXPECT_EQ(identity[3], 0x30);
  EXPECT_EQ(identity[4], 0x11);

  wire_.Content({'i', 1});
  wire_.Content(Cat({'n'}, Text(SignatureFuses("B6001E>012"))));
  identity = wire_.Content({'d'});
  EXPECT_EQ(identity[5] << 8 | identity[6], 14012);

  wire_.Content(EraseContent(0x01040000));
  wire_.Content({'p'});
  identity = wire_.Content({'d'});
  EXPECT_THAT(Bytes(identity.begin() + 3, identity.begin() + 7), ElementsAre(0, 0, 0, 0));
}

TEST_F(SimBox, ProgramsFlashTheNorWay) {
  EXPECT_THAT(wire_.Content(ProgramContent(0x01008000, {0xF0, 0x0F})),
              ElementsAre('h', 0, 0, 0, 0x00, 0xFF));
  EXPECT_THAT(wire_.Content(ProgramContent(0x01008000, {0x3C, 0xFF})),
              ElementsAre('h', 0, 0, 0, 0x02, 0x3A));  // running sum 0xFF + 0x13B
  EXPECT_THAT(wire_.Content(ReadContent(0x01008000, 3)),
              ElementsAre('e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x03, 0x30, 0x0F, 0xFF));

  Bytes count_beyond_data = ProgramContent(0x0100A000, {0, 0});
  count_beyond_data[6] = 3;
  struct Case {
    const char* what;
    Bytes content;
  };
  const Case refused[] = {
      {"crosses the sector's end", ProgramContent(0x0100BFFE, {0, 0, 0, 0})},
      {"in the loader's sector", ProgramContent(0x01007FFC, {0, 0, 0, 0})},
      {"outside the map", ProgramContent(0x01100000, {0, 0})},
      {"count beyond the data", count_beyond_data},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> before = box_.flash().contents();
    Bytes reply = wire_.Content(c.content);
    ASSERT_EQ(reply.size(), 6u);
    EXPECT_EQ(reply[0], 'h');
    EXPECT_NE(reply[1], 0);
    EXPECT_TRUE(box_.flash().contents() == before);
  }
}

TEST_F(SimBox, ErasesWholeSectorsOnly) {
  box_.flash().Store(0x0100C000, Bytes(16, 0x00).data(), 16);
  EXPECT_THAT(wire_.Content(EraseContent(0x0100C008)), ElementsAre('g', ::testing::Ne(0)));
  EXPECT_THAT(wire_.Content(EraseContent(0x01000000)), ElementsAre('g', ::testing::Ne(0)));
  EXPECT_EQ(box_.flash().At(0x0100C008), 0x00);
  EXPECT_THAT(wire_.Content(EraseContent(0x0100C000)), ElementsAre('g', 0));
  EXPECT_EQ(box_.flash().At(0x0100C008), 0xFF);
}

TEST_F(SimBox, ReadsMemoryWithAddressAndCountEchoed) {
  Bytes record(104);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i);
  box_.flash().Store(0x01008000, record.data(), record.size());
  Bytes reply = wire_.Content(ReadContent(0x01008000, 104));
  ASSERT_EQ(reply.size(), 111u);
  EXPECT_THAT(Bytes(reply.begin(), reply.begin() + 7),
              ElementsAre('e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x68));
  EXPECT_THAT(Bytes(reply.begin() + 7, reply.end()), ElementsAreArray(record));
  // Beyond the flash the bus reads 0xFF; more than one reply can carry gets the bare opcode.
  EXPECT_THAT(wire_.Content(ReadContent(0x02000000, 2)),
              ElementsAre('e', 0x02, 0, 0, 0, 0, 2, 0xFF, 0xFF));
  EXPECT_EQ(wire_.Content(ReadContent(0x01008000, kMaxReadCount)).size(), 7u + kMaxReadCount);
  EXPECT_THAT(wire_.Content(ReadContent(0x01008000, kMaxReadCount + 1)), ElementsAre('e'));
}

TEST_F(SimBox, LogicCommandsNeedAccess) {
  EXPECT_THAT(wire_.Content({'j'}), ElementsAre('j'));
  EXPECT_THAT(wire_.Content({'k', 5}), ElementsAre('k'));
  EXPECT_THAT(wire_.Content({'m'}), ElementsAre('m'));
  EXPECT_THAT(wire_.Content(Cat({'l', 5}, Bytes(240, '0'))), ElementsAre('l', kLogicNoAccess));
  EXPECT_EQ(box_.logic().row(5), std::string(240, '1'));

  EXPECT_THAT(wire_.Content({'i', 1}), ElementsAre('i', 0));
  EXPECT_THAT(wire_.Content({'j'}), ElementsAre('j', 19));
  std::string row(240, '1');
  row[3] = '0';
  EXPECT_THAT(wire_.Content(Cat({'l', 5}, Text(row))), ElementsAre('l', kLogicOk));
  Bytes image = wire_.Content({'k', 5});
  ASSERT_EQ(image.size(), 481u);
  EXPECT_EQ(std::string(image.begin() + 1, image.begin() + 241), row);
  EXPECT_EQ(std::string(image.begin() + 241, image.end()), row);
  EXPECT_THAT(wire_.Content({'k', 134}), ElementsAre('k'));
  EXPECT_EQ(wire_.Content({'m'}).size(), 121u);

  EXPECT_THAT(wire_.Content({'p'}), ElementsAre('p', kLogicOk));
  EXPECT_EQ(box_.logic().row(5), std::string(240, '1'));
  wire_.Content({'i', 0});
  EXPECT_THAT(wire_.Content({'p'}), ElementsAre('p', kLogicNoAccess));
}

TEST_F(SimBox, StartFirmwareLeavesTheLoaderUntilTheWakeUpBytes) {
  EXPECT_THAT(wire_.Content({'q'}), ElementsAre('q'));
  EXPECT_THAT(wire_.Message(kPing, 9600), IsEmpty());
  EXPECT_TRUE(box_.running_firmware());
  wire_.Send({0xDB, 0xDE}, 19200);  // at a rate it does not listen at
  EXPECT_THAT(wire_.Message(kPing, 9600), IsEmpty());
  wire_.Send({0xDB, 0x00, 0xDE}, 9600);  // not the pair
  EXPECT_THAT(wire_.Message(kPing, 9600), IsEmpty());
  wire_.Send({0xDB, 0xDE}, 9600);
  EXPECT_THAT(wire_.Message(kPing, 9600), ElementsAre(kPing));
  EXPECT_FALSE(box_.running_firmware());
}

TEST_F(SimBox, LogsWhatItUnderstood) {
  wire_.Message(kPing, 9600);
  wire_.Message(SetSpeedMessage(38400), 9600);
  wire_.Request(EraseContent(0x01040000), 38400, 1);
  ASSERT_EQ(box_.requests().size(), 3u);
  const LoggedRequest& erase = box_.requests()[2];
  EXPECT_EQ(erase.opcode, 'g');
  EXPECT_THAT(erase.payload, ElementsAre(0x01, 0x04, 0x00, 0x00));
  EXPECT_EQ(erase.baud, 38400u);
  EXPECT_EQ(erase.sequence(), 1);
  EXPECT_THAT(box_.requests()[1].payload, ElementsAre(0x00, 0x00, 0x96, 0x00));
  EXPECT_EQ(box_.requests()[1].baud, 9600u);
}

// ---- Faults ----

struct ReplyFaultCase {
  const char* what;
  std::function<void(Faults&)> set;
  std::function<void(const std::vector<Bytes>& replies, int bad)> check;
};

TEST_F(SimBox, ReplyFaultsHitTheNextRepliesOfTheirCommand) {
  const ReplyFaultCase cases[] = {
      {"drop",
       [](Faults& f) {
         f.drop_replies = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int) { EXPECT_THAT(r, IsEmpty()); }},
      {"corrupt check",
       [](Faults& f) {
         f.corrupt_check = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int bad) {
         EXPECT_THAT(r, IsEmpty());
         EXPECT_EQ(bad, 1);
       }},
      {"header length",
       [](Faults& f) {
         f.header_length_mismatch = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int) {
         EXPECT_THAT(r, ElementsAre(ElementsAre(0x10, 0x03, 'g', 0)));
       }},
      {"short",
       [](Faults& f) {
         f.short_content = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int) {
         EXPECT_THAT(r, ElementsAre(ElementsAre(0x10, 0x01, 'g')));
       }},
      {"long",
       [](Faults& f) {
         f.long_content = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int) {
         EXPECT_THAT(r, ElementsAre(ElementsAre(0x10, 0x03, 'g', 0, 0)));
       }},
      {"wrong opcode",
       [](Faults& f) {
         f.wrong_opcode = {1, 'g'};
       },
       [](const std::vector<Bytes>& r, int) {
         EXPECT_THAT(r, ElementsAre(ElementsAre(0x10, 0x02, 'G', 0)));
       }},
  };
  for (const ReplyFaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    BoxWire wire;
    c.set(wire.box.faults());
    // Another command's reply is not hit, and does not use up the fault.
    EXPECT_THAT(wire.Request({'r'}), ElementsAre(ElementsAre(0x10, 0x01, 'R')));
    wire.box.flash().Store(0x01040000, Bytes{0}.data(), 1);
    int bad = 0;
    std::vector<Bytes> replies =
        wire.Message(testing::ExchangeMessage(EraseContent(0x01040000)), 9600, &bad);
    c.check(replies, bad);
    EXPECT_EQ(wire.box.flash().At(0x01040000), 0xFF) << "the erase is carried out";
    EXPECT_THAT(wire.Request(EraseContent(0x01040000)),
                ElementsAre(ElementsAre(0x10, 0x02, 'g', 0)))
        << "only the next reply is hit";
  }
}

TEST_F(SimBox, HandshakeFaults) {
  {
    SCOPED_TRACE("no final ping: the first ping at the new rate goes unanswered");
    BoxWire wire;
    wire.box.faults().no_final_ping = true;
    wire.Message(SetSpeedMessage(57600), 9600);
    EXPECT_THAT(wire.Message(kPing, 57600), IsEmpty());
    EXPECT_THAT(wire.Message(kPing, 57600), ElementsAre(kPing));
  }
  for (int length : {6, 8}) {
    SCOPED_TRACE(length);
    BoxWire wire;
    wire.box.faults().setspeed_reply_length = length;
    std::vector<Bytes> replies = wire.Message(SetSpeedMessage(19200), 9600);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), size_t(length));
  }
  {
    SCOPED_TRACE("confirms another rate and moves there");
    BoxWire wire;
    wire.box.faults().confirm_rate = 57600;
    EXPECT_THAT(wire.Message(SetSpeedMessage(115200), 9600),
                ElementsAre(Cat({0x00, 0x05, 0x03}, testing::Be32(57600))));
    EXPECT_THAT(wire.Message(kPing, 57600), ElementsAre(kPing));
  }
  {
    SCOPED_TRACE("a refused rate: stays and says so");
    BoxWire wire;
    wire.box.faults().refused_rates = {115200};
    EXPECT_THAT(wire.Message(SetSpeedMessage(115200), 9600),
                ElementsAre(Cat({0x00, 0x05, 0x03}, testing::Be32(9600))));
    EXPECT_THAT(wire.Message(kPing, 9600), ElementsAre(kPing));
  }
  {
    SCOPED_TRACE("silent");
    BoxWire wire;
    wire.box.faults().silent = true;
    EXPECT_THAT(wire.Message(kPing, 9600), IsEmpty());
    EXPECT_THAT(wire.box.requests(), IsEmpty());
  }
}

TEST_F(SimBox, IdentityAndLoaderCheckFaults) {
  box_.faults().loader_checks_in_setting = 2;
  EXPECT_THAT(wire_.Content({'r'}), ElementsAre('r'));
  EXPECT_THAT(wire_.Content({'r'}), ElementsAre('r'));
  EXPECT_THAT(wire_.Content({'r'}), ElementsAre(kLoaderCheckAnswer));
  box_.faults().identity_reply_length = 16;
  EXPECT_EQ(wire_.Content({'d'}).size(), 16u);
  box_.faults().identity_reply_length = 0;
  box_.faults().identity_letter = 'D';
  Bytes identity = wire_.Content({'d'});
  EXPECT_EQ(identity.size(), 15u);
  EXPECT_EQ(identity[0], 'D');
}

TEST_F(SimBox, FlashFaultsFailWithoutWriting) {
  box_.faults().failing_erase_sectors = {0x01080000};
  box_.flash().Store(0x01080000, Bytes{0}.data(), 1);
  EXPECT_THAT(wire_.Content(EraseContent(0x01080000)), ElementsAre('g', ::testing::Ne(0)));
  EXPECT_EQ(box_.flash().At(0x01080000), 0x00);
  EXPECT_THAT(wire_.Content(EraseContent(0x01040000)), ElementsAre('g', 0));

  box_.faults().failing_programs = 1;
  EXPECT_NE(wire_.Content(ProgramContent(0x01040000, {0x00}))[1], 0);
  EXPECT_EQ(wire_.Content(ProgramContent(0x01040000, {0x00}))[1], 0);
  box_.faults().failing_program_at = 0x01040013;
  EXPECT_NE(wire_.Content(ProgramContent(0x01040010, {0, 0, 0, 0}))[1], 0);
  EXPECT_EQ(wire_.Content(ProgramContent(0x01040014, {0, 0, 0, 0}))[1], 0);
  EXPECT_EQ(box_.flash().At(0x01040010), 0xFF);
  EXPECT_EQ(box_.flash().At(0x01040014), 0x00);
}

TEST_F(SimBox, LogicFaultsShowInWhatIsReadBack) {
  box_.faults().bad_programmed_image_row = 3;
  box_.faults().bad_erased_image_row = 4;
  box_.faults().signature_reads_differently = true;
  box_.set_device_type(18);
  wire_.Content({'i', 1});
  EXPECT_THAT(wire_.Content({'j'}), ElementsAre('j', 18));
  std::string erased(240, '1');
  auto images = [&](uint8_t row) {
    Bytes reply = wire_.Content({'k', row});
    return std::make_pair(std::string(reply.begin() + 1, reply.begin() + 241),
                          std::string(reply.begin() + 241, reply.end()));
  };
  EXPECT_NE(images(3).first, erased);
  EXPECT_EQ(images(3).second, erased);
  EXPECT_EQ(images(4).first, erased);
  EXPECT_NE(images(4).second, erased);
  EXPECT_EQ(images(5), std::make_pair(erased, erased));
  Bytes ues = wire_.Content({'m'});
  EXPECT_NE(std::string(ues.begin() + 1, ues.end()), box_.logic().signature());
}

TEST_F(SimBox, DiesAfterItsLastRequest) {
  box_.faults().stop_after_requests = 2;
  EXPECT_THAT(wire_.Message(kPing, 9600), ElementsAre(kPing));
  EXPECT_THAT(wire_.Content({'r'}), ElementsAre(kLoaderCheckAnswer));
  EXPECT_THAT(wire_.Message(kPing, 9600), IsEmpty());
  EXPECT_THAT(wire_.Content(EraseContent(0x01040000)), IsEmpty());
  EXPECT_EQ(box_.requests().size(), 2u);
}

TEST_F(SimBox, RandomFaultsRepeatWithTheirSeed) {
  RandomFaults random;
  random.seed = 7;
  random.drop = 0.3;
  random.truncate = 0.2;
  random.corrupt = 0.2;
  random.delay = 0.2;
  random.delay_ms = 40;
  auto run = [&](uint32_t seed) {
    BoxWire wire;
    RandomFaults r = random;
    r.seed = seed;
    wire.box.SetRandomFaults(r);
    std::vector<platform::TimedByte> all;
    int answered = 0;
    for (int i = 0; i < 100; ++i) {
      std::vector<platform::TimedByte> out =
          wire.Send(Framed(testing::ExchangeMessage({'r'})), 9600);
      answered += Unframe(BoxWire::BytesOf(out)).size() == 1 ? 1 : 0;
      all.insert(all.end(), out.begin(), out.end());
      wire.now += 100;
    }
    // The handshake is spared unless asked for.
    EXPECT_THAT(wire.Message(kPing, 9600), ElementsAre(kPing));
    return std::make_pair(answered, BoxWire::BytesOf(all));
  };
  auto first = run(7);
  EXPECT_GT(first.first, 10);
  EXPECT_LT(first.first, 90);
  EXPECT_EQ(run(7), first);
  EXPECT_NE(run(8).second, first.second);
}

// ---- On an in-process line, on the virtual clock ----

TEST(SimBoxOnLine, RepliesArriveWhenTheLineHasCarriedThem) {
  platform::VirtualClock clock(5000);
  platform::ScopedTickSource ticks(clock);
  Box box;
  platform::InProcessSerialLine line(box);
  line.Register("/dev/zelvo-sim-test");
  platform::OpenResult opened = platform::OpenSerialDevice("/dev/zelvo-sim-test");
  ASSERT_NE(opened.device, nullptr);
  platform::SerialDevice& port = *opened.device;

  ASSERT_EQ(port.Write(kPingLine.data(), kPingLine.size()), long(kPingLine.size()));
  Bytes got;
  uint8_t byte = 0;
  while (got.size() < kPingLine.size() && port.ReadOne(byte) == platform::SerialDevice::Read::kByte)
    got.push_back(byte);
  EXPECT_THAT(got, ElementsAreArray(kPingLine));
  // 16 bytes on the line at 9600 baud: 16.7 ms, rounded up.
  EXPECT_EQ(clock.Now(), 5017u);

  // The host at another rate is not heard.
  ASSERT_TRUE(port.SetRate(19200));
  port.Write(kPingLine.data(), kPingLine.size());
  EXPECT_EQ(port.ReadOne(byte), platform::SerialDevice::Read::kNothing);
}

}  // namespace
}  // namespace zelvo::sim
