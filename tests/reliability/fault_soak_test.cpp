// The link and the Update command against the simulated box while its replies are dropped,
// truncated, corrupted and delayed at set rates, on a virtual clock. Each run prints its figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/setup_dialog.h"
#include "firmware/firmware_update.h"
#include "link/line_trace.h"
#include "link/loader_handshake.h"
#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "logic/ues_bit_string.h"
#include "platform/inprocess_serial_line.h"
#include "platform/port_names.h"
#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"
#include "sim/box.h"
#include "tests/reliability/reply_fault_peer.h"
#include "tests/reliability/watchdog_clock.h"
#include "tests/support/box_contents.h"
#include "tests/support/update_dir.h"

namespace zelvo {
namespace {

namespace id = platform::ui::setup_dialog;
using testing::ReplyFaultCounts;
using testing::ReplyFaultPeer;
using testing::ReplyFaultRates;
using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

// A read that gets nothing waits at most two 110 ms slices past its deadline.
constexpr uint32_t kReadGranularityMs = 220;
constexpr int kAttempts = 3;

// Line time of `bytes` bytes at `rate`, 10 bits each, rounded up to whole milliseconds.
uint64_t LineMs(uint64_t bytes, uint32_t rate) {
  return (bytes * 10000 + rate - 1) / rate;
}

// The longest one Exchange may take. Each attempt waits at most one per-byte deadline, plus the
// read granularity, for a byte that does not come; a byte that does come is taken when it
// arrives, so on top of that only the line time of what crosses the line counts: the request
// frame (at most 2 (n + 2) + 6 bytes), its reply frame and one late reply of an earlier attempt
// in front of it (each at most 2 x 1500 + 6 bytes), and the delay a reply was given. This is
// far tighter than the per-byte worst case (every byte of a frame waiting a whole deadline),
// which it implies.
uint64_t ExchangeBound(size_t n, uint32_t rate, uint32_t extra_ms, uint32_t delay_ms) {
  uint64_t deadline = ReplyTimeout(n, rate, extra_ms) + kReadGranularityMs;
  uint64_t request = LineMs(2 * (n + 2) + 6, rate);
  uint64_t replies = 2 * LineMs(2 * kFrameCapacity + 6, rate);
  return kAttempts * (deadline + request + replies + delay_ms);
}

// The simulated box on COM1 behind a ReplyFaultPeer, on a watched virtual clock.
class FaultSoakTest : public ::testing::Test {
 protected:
  FaultSoakTest() : ticks_(clock_), faults_(box_, 20240611), line_(faults_) {
    line_.Register(platform::DevicePathForPortName("\\\\.\\COM1"));
    ResetLastProgressPercentForTesting();
  }
  ~FaultSoakTest() override {
    SetLineTracer(nullptr);
    clock_.Disarm();
    CloseLink();
    SerialChannel::ClosePort();
  }

  testing::WatchdogClock clock_{1000};
  platform::ScopedTickSource ticks_;
  sim::Box box_;
  ReplyFaultPeer faults_;
  platform::InProcessSerialLine line_;
};

// ---- Thousands of single exchanges ----

// One request of the soak: its content and the allowance its command adds to the deadline.
struct SoakRequest {
  Bytes content;
  uint32_t extra_ms = 0;
};

struct SoakScenario {
  const char* name = "";
  ReplyFaultRates rates;         // injected on the line
  sim::RandomFaults box_random;  // or drawn by the box itself
  int dead_after = -1;           // the box stops answering after this many soak requests
  int exchanges = 10000;
  bool replies_must_match = true;  // no success may carry a reply for another request
  double least_success = 0.0;
};

std::ostream& operator<<(std::ostream& out, const SoakScenario& s) {
  return out << s.name;
}

class ExchangeSoakTest : public FaultSoakTest, public ::testing::WithParamInterface<SoakScenario> {
 protected:
  // A mix of the loader's commands, each with its allowance: the check, the identity, memory
  // reads of varying length, flash programming and sector erases, fuse-row reads.
  SoakRequest Next(std::mt19937& rng) {
    auto be32 = [](Bytes& b, uint32_t v) {
      for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
    };
    SoakRequest r;
    switch (rng() % 8) {
      case 0:
        return {{'r'}, 10};
      case 1:
        return {{'d'}, 1000};
      case 2:
      case 3: {
        uint32_t address = 0x01000000 + rng() % 0xFF000;
        uint16_t count = static_cast<uint16_t>(1 + rng() % 600);
        r.content = {'e'};
        be32(r.content, address);
        r.content.push_back(static_cast<uint8_t>(count >> 8));
        r.content.push_back(static_cast<uint8_t>(count));
        r.extra_ms = 10;
        return r;
      }
      case 4: {
        uint32_t address = 0x0100C000 + (rng() % 0x3F00) / 4 * 4;
        uint16_t count = static_cast<uint16_t>(4 * (1 + rng() % 60));
        r.content = {'h'};
        be32(r.content, address);
        r.content.push_back(static_cast<uint8_t>(count >> 8));
        r.content.push_back(static_cast<uint8_t>(count));
        for (int i = 0; i < count; ++i) r.content.push_back(static_cast<uint8_t>(rng()));
        r.extra_ms = 1000;
        return r;
      }
      case 5:
        if (rng() % 8 == 0) {
          r.content = {'g'};
          be32(r.content, 0x0100C000);
          r.extra_ms = 10000;
          return r;
        }
        return {{'r'}, 10};
      default:
        return {{'k', static_cast<uint8_t>(rng() % 134)}, 100};
    }
  }

  // The reply content a healthy box gives for `request` in its present state, taken from the box
  // itself after the call, so that a read is compared with what the flash holds.
  Bytes Expected(const SoakRequest& request) const {
    const Bytes& c = request.content;
    switch (c[0]) {
      case 'r':
        return {'R'};
      case 'd':
        return box_.IdentityReply();
      case 'e': {
        uint32_t address = uint32_t{c[1]} << 24 | uint32_t{c[2]} << 16 | uint32_t{c[3]} << 8 | c[4];
        Bytes reply(c.begin(), c.end());
        Bytes data = box_.flash().Read(address, (c[5] << 8) | c[6]);
        reply.insert(reply.end(), data.begin(), data.end());
        return reply;
      }
      case 'g':
        return {'g', 0};
      case 'h':
        return {'h', 0};  // and the box's running sum, which is not compared
      default: {
        Bytes reply = {'k'};
        const std::string& row = box_.logic().row(c[1]);
        reply.insert(reply.end(), row.begin(), row.end());
        reply.insert(reply.end(), row.begin(), row.end());
        return reply;
      }
    }
  }
};

TEST_P(ExchangeSoakTest, EveryCallEndsWithinItsBoundWithSuccessOrADocumentedCode) {
  const SoakScenario& s = GetParam();
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  box_.logic().set_access(true);
  faults_.SetRates(s.rates);
  if (s.box_random.any()) box_.SetRandomFaults(s.box_random);
  line_.ClearLog();
  const int handled_before = box_.requests_handled();

  std::mt19937 rng(7);
  std::map<int, long> outcomes;
  long wrong_replies = 0;
  long bytes_verified = 0;
  uint64_t longest = 0;
  uint64_t longest_bound = 0;
  Bytes reply(kFrameCapacity);
  for (int i = 0; i < s.exchanges; ++i) {
    if (i == s.dead_after) box_.faults().stop_after_requests = box_.requests_handled();
    SoakRequest request = Next(rng);
    const uint32_t delay = std::max(s.rates.delay > 0 ? s.rates.delay_ms : 0u,
                                    s.box_random.delay > 0 ? s.box_random.delay_ms : 0u);
    const uint64_t bound = ExchangeBound(request.content.size(), SerialChannel::CurrentRate(),
                                         request.extra_ms, delay);
    const uint32_t start = clock_.now();
    int rc = 0;
    clock_.Arm(2 * bound);
    try {
      rc = Exchange(request.content.data(), request.content.size(), reply.data(), reply.size(),
                    request.extra_ms);
    } catch (const testing::CallHung& hung) {
      FAIL() << "exchange " << i << " (opcode " << char(request.content[0]) << "): " << hung.what();
    }
    clock_.Disarm();
    const uint64_t elapsed = clock_.now() - start;
    ASSERT_LE(elapsed, bound) << "exchange " << i << " opcode " << char(request.content[0]);
    if (elapsed > longest) {
      longest = elapsed;
      longest_bound = bound;
    }
    ASSERT_TRUE(rc >= 0 || rc == kNoValidReply) << "exchange " << i << ": " << rc;
    ++outcomes[rc >= 0 ? 0 : rc];
    if (rc < 0) continue;
    Bytes got(reply.begin(), reply.begin() + rc);
    Bytes want = Expected(request);
    if (request.content[0] == 'h' && got.size() == 6) got.resize(2);
    if (got == want) {
      bytes_verified += rc;
    } else {
      ++wrong_replies;
    }
  }

  const ReplyFaultCounts& f = faults_.counts();
  const long ok = outcomes[0];
  char injected[200];
  if (s.box_random.any()) {
    std::snprintf(injected, sizeof injected, "drawn by the box itself");
  } else {
    std::snprintf(injected, sizeof injected,
                  "%ld into %ld replies (%ld dropped, %ld truncated, %ld corrupted, %ld delayed)",
                  f.faults(), f.replies, f.dropped, f.truncated, f.corrupted, f.delayed);
  }
  std::printf(
      "[soak %s] %d exchanges, %d requests carried out by the box, %ld attempts failed and "
      "retried; faults %s; outcomes: %ld ok, %ld -3001 (no valid reply); %ld successes with a "
      "reply to another request; %ld reply bytes verified; longest call %llu ms, its bound %llu "
      "ms\n",
      s.name, s.exchanges, box_.requests_handled() - handled_before,
      static_cast<long>(line_.writes().size()) - s.exchanges, injected, ok, outcomes[kNoValidReply],
      wrong_replies, bytes_verified, static_cast<unsigned long long>(longest),
      static_cast<unsigned long long>(longest_bound));
  EXPECT_EQ(outcomes.size(), outcomes.count(0) + outcomes.count(kNoValidReply));
  if (s.replies_must_match) {
    EXPECT_EQ(wrong_replies, 0);
  }
  EXPECT_GE(ok, static_cast<long>(s.least_success * s.exchanges));
  if (s.dead_after >= 0) {
    EXPECT_EQ(outcomes[kNoValidReply], s.exchanges - s.dead_after);
  }
}

SoakScenario Mendable() {
  SoakScenario s;
  s.name = "mendable";
  s.rates = {.drop = 0.02, .truncate = 0.02, .corrupt = 0.02, .delay = 0.02, .delay_ms = 150};
  s.least_success = 0.995;
  return s;
}
SoakScenario BoxOwnFaults() {
  SoakScenario s;
  s.name = "box-random";
  s.box_random = {
      .seed = 99, .drop = 0.02, .truncate = 0.02, .corrupt = 0.02, .delay = 0.02, .delay_ms = 150};
  s.least_success = 0.995;
  return s;
}
SoakScenario Late() {
  SoakScenario s;
  s.name = "late";
  s.rates = {.drop = 0.01, .delay = 0.05, .delay_ms = 2500};
  // The exchange passes over a late reply by its sequence number once the box has shown that it
  // echoes them; a reply four or more requests late carries the same two bits as the current
  // request and can still be taken (2 in 10000 here).
  s.replies_must_match = false;
  return s;
}
SoakScenario Heavy() {
  SoakScenario s;
  s.name = "heavy";
  s.rates = {.drop = 0.6, .truncate = 0.1, .corrupt = 0.1};
  s.exchanges = 3000;
  return s;
}
SoakScenario Dead() {
  SoakScenario s;
  s.name = "dead-box";
  s.dead_after = 200;
  s.exchanges = 300;
  return s;
}

INSTANTIATE_TEST_SUITE_P(Faults, ExchangeSoakTest,
                         ::testing::Values(Mendable(), BoxOwnFaults(), Late(), Heavy(), Dead()),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// ---- Whole updates through the dialog ----

class UpdateSoakTest : public FaultSoakTest {
 protected:
  UpdateSoakTest() : window_(platform::ui::SetupDialogTemplate()) {
    firmware_ = updates_.Firmware(105, tools::kDefaultFirmwareBytes);
    logic_ = updates_.Logic(12);
  }

  // The firmware file's data records, one ProgramFlash each.
  int Records() const {
    int records = 0;
    for (size_t at = 0; at < firmware_.text.size(); at = firmware_.text.find('\n', at) + 1) {
      if (firmware_.text.compare(at, 2, "S3") == 0) ++records;
    }
    return records;
  }

  // A dialog as the document fills it, connected with the line still healthy.
  std::unique_ptr<CSetupDlg> ConnectedDialog(int speed_index = 4) {
    auto dlg = std::make_unique<CSetupDlg>(window_);
    dlg->port_index = 0;
    dlg->speed_index = speed_index;
    dlg->box_ip_address = "192.168.1.10";
    dlg->config_host_ip_address = "192.168.1.1";
    dlg->subnet_mask = "255.255.255.0";
    dlg->default_gateway = "192.168.1.254";
    dlg->Initialise();
    dlg->OnConnect();
    EXPECT_TRUE(dlg->connected()) << window_.recorder().status();
    window_.ClearEvents();
    return dlg;
  }

  std::string Text(int control) { return window_.FindControl(control)->GetWindowText(); }
  bool Shown(const std::string& status) const {
    Texts all = window_.StatusTexts();
    return std::find(all.begin(), all.end(), status) != all.end();
  }

  // The box holds exactly the files' contents: every firmware byte, the marker, every fuse row
  // and the signature. Returns the bytes compared.
  long ExpectBoxHoldsTheFiles() {
    long compared = 0;
    EXPECT_EQ(box_.flash().Read(firmware_.address, firmware_.data.size()), firmware_.data);
    compared += static_cast<long>(firmware_.data.size());
    EXPECT_EQ(box_.flash().Read(kFirmwareMarkerAddress, 4),
              Bytes(FirmwareMarker, FirmwareMarker + 4));
    compared += 4;
    for (int row = 0; row < 134; ++row) {
      EXPECT_EQ(box_.logic().row(row), logic_.rows[row]) << "row " << row;
      compared += static_cast<long>(logic_.rows[row].size());
    }
    EXPECT_EQ(box_.logic().signature(), UesBitString("B6001E>012"));
    compared += static_cast<long>(box_.logic().signature().size());
    EXPECT_EQ(box_.logic_raw_version(), 14012);
    EXPECT_EQ(box_.firmware_raw_version(), 0x3000 + 105);
    return compared;
  }

  // Marks where an Update begins, for the figures.
  void StartCounting() {
    requests_before_ = box_.requests_handled();
    counts_before_ = faults_.counts();
    failed_receives_ = 0;
    SetLineTracer([this](const LineTraceEvent& event) {
      if (event.kind == LineTraceEvent::Kind::kReceiveFailed) ++failed_receives_;
    });
  }
  void PrintFigures(const std::string& name, long verified) {
    const ReplyFaultCounts& f = faults_.counts();
    const ReplyFaultCounts& b = counts_before_;
    const long requests = box_.requests_handled() - requests_before_;
    std::printf(
        "[update %s] firmware %zu bytes in %d records, logic 134 rows of 240 fuses; %ld requests "
        "carried out by the box (retries included), %ld receives failed; %ld replies, %ld "
        "dropped, %ld truncated, %ld corrupted, %ld delayed; \"%s\"; %ld bytes verified in the "
        "box\n",
        name.c_str(), firmware_.data.size(), Records(), requests, failed_receives_,
        f.replies - b.replies, f.dropped - b.dropped, f.truncated - b.truncated,
        f.corrupted - b.corrupted, f.delayed - b.delayed, window_.recorder().status().c_str(),
        verified);
  }

  int requests_before_ = 0;
  long failed_receives_ = 0;
  ReplyFaultCounts counts_before_;
  testing::UpdateDir updates_;
  tools::FirmwareImage firmware_;
  tools::LogicImage logic_;
  platform::ui::HeadlessDialogWindow window_;
};

TEST_F(UpdateSoakTest, WithOnePercentOfRepliesLostAFullUpdateSucceedsExactly) {
  auto dlg = ConnectedDialog();
  StartCounting();
  faults_.SetRates({.drop = 0.01});
  dlg->OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  EXPECT_TRUE(window_.MessageTexts().empty());
  PrintFigures("1% of replies lost", ExpectBoxHoldsTheFiles());
  EXPECT_GT(faults_.counts().dropped, 30) << "the run must actually lose replies";
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "1.05");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "0.12");
  EXPECT_FALSE(window_.FindControl(id::kUpdateButton)->IsWindowEnabled());
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
}

TEST_F(UpdateSoakTest, WithOnePercentOfRepliesSpoiltInEveryWayAFullUpdateSucceedsExactly) {
  auto dlg = ConnectedDialog();
  StartCounting();
  faults_.SetRates({.drop = 0.0025, .truncate = 0.0025, .corrupt = 0.0025, .delay = 0.0025});
  dlg->OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  EXPECT_TRUE(window_.MessageTexts().empty());
  PrintFigures("1% of replies spoilt", ExpectBoxHoldsTheFiles());
}

// Replies that come later than their deadline are the one fault the exchange cannot always tell
// apart: the late copy and the reply to the retry both arrive, and the second is taken as the
// answer to the next request (the exchange compares only the length). Whatever that does, an
// Update must never report success unless the box holds exactly the files, and must fail with the
// documented texts otherwise; the next Update then repairs the box.
class LateReplyUpdateTest : public UpdateSoakTest,
                            public ::testing::WithParamInterface<uint32_t> {};

TEST_P(LateReplyUpdateTest, UpdateIsReportedPassedOnlyWhenTheBoxHoldsTheFiles) {
  const Texts documented = {"Firmware update failed!",
                            "Communication with ZELVO failed!",
                            "Logic: Unknown ispLSI device type!",
                            "Logic: Fuse map programmed verification failed!",
                            "Logic: Fuse map erased verification failed!",
                            "Logic: UES verify failed!"};
  auto dlg = ConnectedDialog();
  StartCounting();
  faults_.Reseed(GetParam());
  faults_.SetRates({.delay = 0.01, .delay_ms = 2500});
  dlg->OnUpdate();
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
  const std::string name = "1% of replies 2.5 s late, seed " + std::to_string(GetParam());
  if (window_.recorder().status() == "Updating firmware and logic passed!") {
    // The one message a passed update may show: switching logic access off, the closing step,
    // failed on its own (a reply held back past all three attempts); it does not change the
    // outcome.
    for (const std::string& message : window_.MessageTexts()) {
      EXPECT_EQ(message, "Communication with ZELVO failed!");
    }
    PrintFigures(name, ExpectBoxHoldsTheFiles());
    EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "1.05");
    return;
  }
  PrintFigures(name, 0);
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic failed!");
  EXPECT_FALSE(window_.MessageTexts().empty());
  for (const std::string& message : window_.MessageTexts()) {
    EXPECT_NE(std::find(documented.begin(), documented.end(), message), documented.end())
        << message;
  }
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "unknown");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "unknown");

  // The user reads the message; the late replies have long arrived when the next Update starts.
  faults_.Off();
  clock_.Sleep(5000);
  window_.ClearEvents();
  dlg->OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  ExpectBoxHoldsTheFiles();
}

INSTANTIATE_TEST_SUITE_P(Seeds, LateReplyUpdateTest, ::testing::Range(1u, 9u));

// Open finding, kept as its regression case until the exchange is changed: at 9600 baud the reply
// to the last firmware record comes 4 s late, after its deadline; the retry is answered too, and
// that second reply, still on the line when the marker is sent, is taken as the marker's answer.
// The box's own answer, that programming the marker failed, goes to the next request instead.
// The update is then reported as passed although the box holds no firmware.
TEST_F(UpdateSoakTest, LateReplyDoesNotHideAFailedMarker) {
  testing::GiveBoxVersions(box_, 104, 12);  // only the firmware is to be updated
  auto dlg = ConnectedDialog(0);
  box_.faults().failing_program_at = kFirmwareMarkerAddress;
  faults_.DelayReply(faults_.counts().replies + 3 + Records(), 4000);
  dlg->OnUpdate();
  EXPECT_EQ(box_.firmware_raw_version(), 0);
  EXPECT_EQ(window_.MessageTexts(), Texts{"Firmware update failed!"});
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic failed!");
}

TEST_F(UpdateSoakTest, SixtyPercentLostFailsWithTheTextsAndTheNextUpdateRepairs) {
  auto dlg = ConnectedDialog();
  StartCounting();
  faults_.SetRates({.drop = 0.6});
  dlg->OnUpdate();
  PrintFigures("60% of replies lost", 0);
  EXPECT_TRUE(Shown("Firmware: Programming Flash ... failed!") ||
              Shown("Firmware: Erasing Flash ... failed!"));
  EXPECT_EQ(window_.MessageTexts(), Texts{"Firmware update failed!"});
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic failed!");
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "unknown");
  EXPECT_EQ(Text(id::kLogicCurrentDisplay), "unknown");
  EXPECT_TRUE(window_.FindControl(id::kUpdateButton)->IsWindowEnabled());
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
  EXPECT_EQ(box_.firmware_raw_version(), 0) << "no marker without every record";

  faults_.Off();
  window_.ClearEvents();
  StartCounting();
  dlg->OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  EXPECT_TRUE(window_.MessageTexts().empty());
  PrintFigures("the next Update, faults off", ExpectBoxHoldsTheFiles());
}

TEST_F(UpdateSoakTest, BoxThatStopsAnsweringMidLogicFailsAndTheNextUpdateRepairs) {
  auto dlg = ConnectedDialog();
  StartCounting();
  // Three erases, the records and the marker; access, device type and erase; then 60 fuse rows:
  // the box dies while the logic is programmed.
  box_.faults().stop_after_requests = box_.requests_handled() + 3 + Records() + 1 + 3 + 60;
  dlg->OnUpdate();
  PrintFigures("box stops answering after row 59", 0);
  EXPECT_TRUE(Shown("Firmware: Programming Flash ... passed!"));
  EXPECT_TRUE(Shown("Logic: Programming ... ( 44% )"));
  EXPECT_EQ(window_.MessageTexts(),
            (Texts{"Communication with ZELVO failed!", "Communication with ZELVO failed!"}))
      << "the row, then access off";
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic failed!");
  EXPECT_EQ(Text(id::kFirmwareCurrentDisplay), "unknown");
  EXPECT_EQ(window_.WaitCursorLevel(), 0);
  EXPECT_EQ(box_.logic_raw_version(), 0);

  box_.faults().stop_after_requests = -1;  // the box is back
  window_.ClearEvents();
  StartCounting();
  dlg->OnUpdate();
  EXPECT_EQ(window_.recorder().status(), "Updating firmware and logic passed!");
  PrintFigures("the next Update, box back", ExpectBoxHoldsTheFiles());
}

}  // namespace
}  // namespace zelvo
