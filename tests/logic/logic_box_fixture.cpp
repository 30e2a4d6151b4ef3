#include "tests/logic/logic_box_fixture.h"

#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "platform/port_names.h"

namespace zelvo::testing {

namespace {

constexpr const char* kPort = "\\\\.\\COM1";
constexpr uint32_t kRate = 115200;

// The message of one frame as the host wrote it (DLE doubling undone): header, then content.
std::vector<uint8_t> Unframe(const uint8_t* data, size_t count) {
  std::vector<uint8_t> message;
  if (count < 2 || data[0] != 0x10 || data[1] != 0x02) return message;
  for (size_t i = 2; i + 1 < count; ++i) {
    if (data[i] == 0x10) {
      if (data[i + 1] == 0x03) break;
      ++i;
    }
    message.push_back(data[i]);
  }
  return message;
}

}  // namespace

void LossyLine::OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) {
  const std::vector<uint8_t> message = Unframe(data, count);
  if (lost && message.size() > 2 &&
      lost(std::vector<uint8_t>(message.begin() + 2, message.end()))) {
    return;
  }
  box_.OnHostBytes(data, count, baud, start);
}

LogicBoxTest::LogicBoxTest() : ticks_(clock_), lossy_(box_), line_(lossy_) {
  line_.Register(platform::DevicePathForPortName(kPort));
  box_.set_listen_rate(kRate);
  EXPECT_EQ(SerialChannel::Open(kPort), 0);
  EXPECT_EQ(SerialChannel::SetRate(kRate), 0);
  ResetExchange();
  SerialChannel::SetOpenFlag(1);
  feedback_.BeginWaitCursor();
  feedback_.Clear();
}

LogicBoxTest::~LogicBoxTest() {
  CloseLink();
  SerialChannel::ClosePort();
}

void LogicBoxTest::LoseRequests(uint8_t opcode, int row) {
  lossy_.lost = [opcode, row](const std::vector<uint8_t>& content) {
    return content[0] == opcode && (row < 0 || (content.size() > 1 && content[1] == row));
  };
}

std::vector<std::string> LogicBoxTest::Requests() const {
  std::vector<std::string> texts;
  for (const sim::LoggedRequest& r : box_.requests()) {
    std::string text(1, static_cast<char>(r.opcode));
    if ((r.opcode == 'i' || r.opcode == 'k' || r.opcode == 'l') && !r.payload.empty()) {
      text += std::to_string(r.payload[0]);
    }
    texts.push_back(text);
  }
  return texts;
}

int LogicBoxTest::CountRequests(uint8_t opcode) const {
  int count = 0;
  for (const sim::LoggedRequest& r : box_.requests()) count += r.opcode == opcode;
  return count;
}

void LogicBoxTest::StoreInBox(const FuseMap& map) {
  for (int i = 0; i < kFuseRowCount; ++i) ASSERT_TRUE(box_.logic().RestoreRow(i, map.rows[i]));
}

bool LogicBoxTest::BoxHolds(const FuseMap& map) const {
  for (int i = 0; i < kFuseRowCount; ++i) {
    if (box_.logic().row(i) != map.rows[i]) return false;
  }
  return true;
}

void LogicBoxTest::ExpectCursorBalanced() const {
  for (const auto& e : feedback_.events()) {
    if (e.kind == platform::RecordingFeedback::Kind::kMessage) {
      // The reader alone reports a bad row while its own level is still on.
      const int level = e.text == "Illegal JEDEC file format!" ? kCommandLevel + 1 : kCommandLevel;
      EXPECT_EQ(e.cursor_level, level) << e.text;
      EXPECT_EQ(e.caption, platform::kApplicationTitle);
    }
    EXPECT_GE(e.cursor_level, kCommandLevel);
  }
  EXPECT_EQ(feedback_.cursor_level(), kCommandLevel);
}

}  // namespace zelvo::testing
