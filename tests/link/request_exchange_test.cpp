#include "link/request_exchange.h"

#include <gtest/gtest.h>

#include "link/serial_channel.h"
#include "tests/support/link_fixture.h"

namespace zelvo {
namespace {

using testing::Bytes;
using testing::Framed;
using testing::LinkFixture;
using testing::Reply;

class RequestExchangeTest : public LinkFixture {
 protected:
  int Send(const Bytes& content, Bytes* reply = nullptr, size_t capacity = 1500) {
    uint8_t out[1500];
    int rc = Exchange(content.data(), content.size(), out, capacity, 10);
    if (reply != nullptr && rc >= 0) reply->assign(out, out + rc);
    return rc;
  }
  // The header of every frame the host wrote.
  std::vector<Bytes> Headers() const {
    std::vector<Bytes> headers;
    for (const auto& w : line_.writes()) {
      Bytes message = testing::Unframed(w.bytes);
      headers.push_back({message.at(0), message.at(1)});
    }
    return headers;
  }
};

TEST_F(RequestExchangeTest, RefusesToRunBeforeAConnect) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);  // port open, handshake not done
  EXPECT_EQ(Send({0x72}), kNotConnected);
  EXPECT_TRUE(line_.writes().empty());
}

TEST_F(RequestExchangeTest, FirstRequestAfterConnectGoesOnTheLineWithHeaderDleDoubled) {
  Connected();
  peer_.AnswerWrites({Framed(Reply({0x52}))});
  Bytes reply;
  ASSERT_EQ(Send({0x72}, &reply), 1);
  EXPECT_EQ(reply, Bytes{0x52});
  EXPECT_EQ(line_.writes()[0].bytes, (Bytes{0x10, 0x02, 0x10, 0x10, 0x01, 0x72, 0x10, 0x03, 0x63}));
}

TEST_F(RequestExchangeTest, SequenceNumberAdvancesPerRequestAndWraps) {
  Connected();
  peer_.responder = [](const Bytes&, uint32_t) { return Framed(Reply({0x00})); };
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Send({0x00}), 1);
  EXPECT_EQ(Headers(), (std::vector<Bytes>{
                           {0x10, 0x01}, {0x50, 0x01}, {0x90, 0x01}, {0xD0, 0x01}, {0x10, 0x01}}));
}

TEST_F(RequestExchangeTest, LengthUsesElevenBitsAndTooLongContentIsNotSent) {
  Connected();
  peer_.responder = [](const Bytes&, uint32_t) { return Framed(Reply({})); };
  ASSERT_EQ(Send(Bytes(291, 0x55)), 0);
  EXPECT_EQ(Headers().back(), (Bytes{0x11, 0x23}));
  ASSERT_EQ(Send(Bytes(1498, 0x55)), 0);
  EXPECT_EQ(Headers().back(), (Bytes{0x55, 0xDA}));
  size_t writes = line_.writes().size();
  EXPECT_EQ(Send(Bytes(1499, 0x55)), kRequestTooLong);
  EXPECT_EQ(line_.writes().size(), writes);
  ASSERT_EQ(Send({0x01}), 0);
  EXPECT_EQ(Headers().back(), (Bytes{0x90, 0x01})) << "a refused request takes no number";
}

TEST_F(RequestExchangeTest, ReplyWhoseHeaderDisagreesWithItsLengthFailsEachAttempt) {
  Connected();
  Bytes lying = {0x00, 0x05, 'g', 1, 2, 3, 4, 5};  // announces 5, carries 6
  peer_.AnswerWrites({Framed(lying), Framed(lying), Framed(lying)});
  EXPECT_EQ(Send({0x67}), kNoValidReply);
  EXPECT_EQ(line_.writes().size(), 3u);
  EXPECT_EQ(line_.purges(), 3);
}

TEST_F(RequestExchangeTest, ReplyOnTheThirdAttemptIsAcceptedAndEveryAttemptSendsTheSameBytes) {
  Connected();
  Bytes corrupted = Framed(Reply({0x67, 0x00}));
  corrupted.back() ^= 0x01;
  peer_.AnswerWrites({{}, corrupted, Framed(Reply({0x67, 0x00}))});
  Bytes reply;
  EXPECT_EQ(Send({0x67, 1, 4, 0, 0}, &reply), 2);
  EXPECT_EQ(reply, (Bytes{0x67, 0x00}));
  ASSERT_EQ(line_.writes().size(), 3u);
  for (const auto& w : line_.writes()) EXPECT_EQ(w.bytes, line_.writes()[0].bytes);
}

TEST_F(RequestExchangeTest, SilentBoxCostsThreeTimeoutsAndGivesNoValidReply) {
  Connected(115200);
  uint32_t start = clock_.Now();
  EXPECT_EQ(Send({0x72}), kNoValidReply);
  uint32_t elapsed = clock_.Now() - start;
  uint32_t timeout = ReplyTimeout(1, 115200, 10);  // 340 ms
  EXPECT_GE(elapsed, 3 * (timeout + 110));
  EXPECT_LE(elapsed, 3 * (timeout + 220));
  EXPECT_EQ(line_.writes().size(), 3u);
}

TEST_F(RequestExchangeTest, ReplyBitsOtherThanTheLengthAreIgnored) {
  Connected();
  peer_.AnswerWrites({Framed({0xE8, 0x01, 0x64})});  // sequence 3, flag set, bits 3 and 5 set
  Bytes reply;
  EXPECT_EQ(Send({0x64}, &reply), 1);
  EXPECT_EQ(reply, Bytes{0x64});
}

TEST_F(RequestExchangeTest, BoxThatNeverEchoesTheSequenceNumberIsAlwaysUnderstood) {
  Connected();
  // Always sequence 0 with the flag: it matches the first request, then never again.
  peer_.responder = [](const Bytes&, uint32_t) { return Framed({0x10, 0x01, 0x64}); };
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Send({0x64}), 1) << i;
}

TEST_F(RequestExchangeTest, LateReplyToAnEarlierRequestIsPassedOverOnceTheBoxEchoes) {
  Connected();
  // Two replies that echo their requests' numbers teach the exchange that this box echoes.
  peer_.AnswerWrites({Framed({0x10, 0x02, 'e', 0x00}), Framed({0x50, 0x02, 'e', 0x01})});
  ASSERT_EQ(Send({'e'}), 2);
  ASSERT_EQ(Send({'e'}), 2);
  // Request 2's answer is preceded by a late copy of request 1's (same length, sequence 1).
  Bytes late_then_right = Framed({0x50, 0x02, 'h', 0x00});
  Bytes right = Framed({0x90, 0x02, 'h', 0x05});
  late_then_right.insert(late_then_right.end(), right.begin(), right.end());
  peer_.AnswerWrites({late_then_right});
  Bytes reply;
  ASSERT_EQ(Send({'h'}, &reply), 2);
  EXPECT_EQ(reply, (Bytes{'h', 0x05})) << "the late reply must not be taken";
  EXPECT_EQ(line_.writes().size(), 3u) << "no retry was needed";
}

TEST_F(RequestExchangeTest, HeaderOnlyReplyHasNoContent) {
  Connected();
  peer_.AnswerWrites({Framed({0x00, 0x00})});
  EXPECT_EQ(Send({0x69, 0x01}), 0);
}

TEST_F(RequestExchangeTest, ReplyLongerThanTheCapacityIsNotCopied) {
  Connected();
  peer_.AnswerWrites({Framed(Reply(Bytes(20, 0x33)))});
  EXPECT_EQ(Send({0x65}, nullptr, 19), kReplyTooLong);
  peer_.AnswerWrites({Framed(Reply({0x01}))});
  EXPECT_EQ(Send({0x00}), 1);
  EXPECT_EQ(Headers().back(), (Bytes{0x50, 0x01})) << "the refused reply's request took a number";
}

TEST(ReplyTimeout, FollowsTheLineTimeOfTheLargestExchange) {
  struct Case {
    size_t n;
    uint32_t rate, extra, timeout;
  };
  const Case cases[] = {{1, 115200, 10, 340},      {1, 115200, 100, 430},   {1, 9600, 100, 1865},
                        {5, 115200, 10000, 10330}, {242, 115200, 300, 651}, {242, 9600, 300, 2316}};
  for (const Case& c : cases) EXPECT_EQ(ReplyTimeout(c.n, c.rate, c.extra), c.timeout) << c.n;
}

}  // namespace
}  // namespace zelvo
