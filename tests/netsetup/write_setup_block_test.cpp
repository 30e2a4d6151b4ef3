#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "link/loader_handshake.h"
#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "loader/loader_commands.h"
#include "netsetup/setup_block.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/tick_clock.h"
#include "sim/box.h"

namespace zelvo {
namespace {

// Passes the line on to the box and lets a test act on the box just before a chosen request
// reaches it, as a flash that loses a bit between programming and reading would.
class InterposedPeer : public platform::LinePeer {
 public:
  explicit InterposedPeer(sim::Box& box) : box_(box) {}

  // `action` runs once, before the first host write that follows a logged `after_opcode`.
  void BeforeNextRequestAfter(uint8_t after_opcode, std::function<void()> action) {
    after_opcode_ = after_opcode;
    action_ = std::move(action);
  }

  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override {
    if (action_ && !box_.requests().empty() && box_.requests().back().opcode == after_opcode_) {
      auto action = std::move(action_);
      action_ = nullptr;
      action();
    }
    box_.OnHostBytes(data, count, baud, start);
  }
  void TakeOutput(std::vector<platform::TimedByte>& out) override { box_.TakeOutput(out); }

 private:
  sim::Box& box_;
  uint8_t after_opcode_ = 0;
  std::function<void()> action_;
};

// The simulated box on COM1, connected at 115200 baud through the real handshake, all on a
// virtual clock.
class WriteSetupBlockTest : public testing::Test {
 protected:
  WriteSetupBlockTest() : ticks_(clock_), peer_(box_), line_(peer_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
  }
  ~WriteSetupBlockTest() override { CloseLink(); }

  void SetUp() override {
    // Something from an earlier record, so the erase is seen to happen.
    std::vector<uint8_t> old(kSetupBlockSize, 0x00);
    box_.flash().Store(kSetupBlockAddress, old.data(), old.size());
    ASSERT_EQ(OpenLoaderLink(0, 4), 0);
    box_.ClearRequests();
  }

  std::vector<uint8_t> FlashRecord() const {
    return box_.flash().Read(kSetupBlockAddress, kSetupBlockSize);
  }
  std::vector<uint8_t> Opcodes() const {
    std::vector<uint8_t> opcodes;
    for (const sim::LoggedRequest& request : box_.requests()) opcodes.push_back(request.opcode);
    return opcodes;
  }

  int Write() {
    return WriteSetupBlock("10.0.0.2", "192.168.1.10", "255.255.255.0", "192.168.1.1",
                           "zelvo9.cfg");
  }

  platform::VirtualClock clock_{1000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  InterposedPeer peer_;
  platform::InProcessSerialLine line_;
};

TEST_F(WriteSetupBlockTest, LeavesExactlyTheRecordInFlash) {
  ASSERT_TRUE(box_.set_serial("9876543210"));
  ASSERT_EQ(Write(), 0);

  std::vector<uint8_t> expected = {0x0A, 0x1B, 0x2C, 0x98, 0x76, 0x54, 0xFF, 0xFF, 192, 168, 1, 10,
                                   255,  255,  255,  0,    192,  168,  1,    1,    10,  0,   0, 2};
  for (char c : std::string("zelvo9.cfg")) expected.push_back(static_cast<uint8_t>(c));
  expected.resize(kSetupBlockSize, 0x00);
  EXPECT_EQ(FlashRecord(), expected);
  // The rest of the sector is erased.
  EXPECT_EQ(box_.flash().At(kSetupBlockAddress + kSetupBlockSize), 0xFF);

  // Identity (loader check, identity), erase, one program, one read: in this order.
  EXPECT_EQ(Opcodes(), (std::vector<uint8_t>{'r', 'd', 'g', 'h', 'e'}));
  const auto& requests = box_.requests();
  EXPECT_EQ(requests[2].payload, (std::vector<uint8_t>{0x01, 0x00, 0x80, 0x00}));
  EXPECT_EQ(requests[3].payload.size(), 4u + 2u + kSetupBlockSize);
  EXPECT_EQ(requests[4].payload, (std::vector<uint8_t>{0x01, 0x00, 0x80, 0x00, 0x00, 104}));
}

TEST_F(WriteSetupBlockTest, IdentityWithoutSerialNumberGivesZeroMacTail) {
  // An identity reply of an unexpected length succeeds without a serial number.
  box_.faults().identity_reply_length = 5;
  ASSERT_EQ(Write(), 0);
  std::vector<uint8_t> record = FlashRecord();
  EXPECT_EQ(std::vector<uint8_t>(record.begin(), record.begin() + 8),
            (std::vector<uint8_t>{0x0A, 0x1B, 0x2C, 0x00, 0x00, 0x00, 0xFF, 0xFF}));
}

TEST_F(WriteSetupBlockTest, ReadBackDifferingInOneByteGivesMinus4008) {
  // One bit of the name's last padding byte fails to hold after programming.
  peer_.BeforeNextRequestAfter('h', [this] {
    uint8_t bad = 0x01;
    box_.flash().Store(kSetupBlockAddress + kSetupBlockSize - 1, &bad, 1);
  });
  EXPECT_EQ(Write(), kSetupVerifyFailed);
  EXPECT_EQ(Opcodes(), (std::vector<uint8_t>{'r', 'd', 'g', 'h', 'e'}));
}

TEST_F(WriteSetupBlockTest, FailedStepStopsTheSequenceWithItsCode) {
  struct Case {
    const char* name;
    std::function<void(sim::Faults&)> fault;
    int code;
    std::vector<uint8_t> opcodes;
  };
  const Case cases[] = {
      {"identity", [](sim::Faults& f) { f.identity_letter = 'x'; }, kBadReply, {'r', 'd'}},
      {"erase",
       [](sim::Faults& f) { f.failing_erase_sectors.insert(kSetupBlockAddress); },
       kEraseFailed,
       {'r', 'd', 'g'}},
      {"program",
       [](sim::Faults& f) { f.failing_programs = 1; },
       kProgramFailed,
       {'r', 'd', 'g', 'h'}},
      {"read",
       [](sim::Faults& f) {
         f.short_content = {3, 'e'};
       },
       kBadReply,
       {'r', 'd', 'g', 'h', 'e'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    box_.faults() = {};
    c.fault(box_.faults());
    box_.ClearRequests();
    EXPECT_EQ(Write(), c.code);
    EXPECT_EQ(Opcodes(), c.opcodes);
  }
}

TEST_F(WriteSetupBlockTest, NothingIsErasedWhenTheIdentityCannotBeRead) {
  box_.faults().silent = true;
  EXPECT_NE(Write(), 0);
  EXPECT_EQ(FlashRecord(), std::vector<uint8_t>(kSetupBlockSize, 0x00));
}

}  // namespace
}  // namespace zelvo
