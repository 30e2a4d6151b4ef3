#include "sim/box_frame_codec.h"

namespace zelvo::sim {

std::vector<uint8_t> EncodeBoxFrame(const std::vector<uint8_t>& message, uint8_t check_flip) {
  std::vector<uint8_t> frame;
  frame.reserve(2 * message.size() + 6);
  frame.push_back(kFrameDle);
  frame.push_back(kFrameStx);
  uint8_t check = 0;
  for (uint8_t byte : message) {
    frame.push_back(byte);
    if (byte == kFrameDle) frame.push_back(byte);
    check ^= byte;
  }
  check ^= check_flip;
  frame.push_back(kFrameDle);
  frame.push_back(kFrameEtx);
  frame.push_back(check);
  if (check == kFrameDle) frame.push_back(check);
  return frame;
}

void FrameReceiver::Reset() {
  state_ = State::kHunt;
  message_.clear();
  check_ = 0;
}

void FrameReceiver::StartBody() {
  state_ = State::kBody;
  message_.clear();
  check_ = 0;
}

FrameReceiver::Event FrameReceiver::Finish(uint8_t check) {
  bool good = check == check_;
  state_ = State::kHunt;
  if (!good) message_.clear();
  return good ? Event::kFrame : Event::kBadFrame;
}

FrameReceiver::Event FrameReceiver::Feed(uint8_t byte) {
  switch (state_) {
    case State::kHunt:
      // A finished frame's message stays readable until the next byte comes.
      message_.clear();
      if (byte == kFrameDle) state_ = State::kAfterDle;
      return Event::kNone;

    case State::kAfterDle:
      // A lone DLE and the byte after it are dropped together; that byte never counts as the
      // DLE of a start mark.
      if (byte == kFrameStx) {
        StartBody();
      } else {
        state_ = State::kHunt;
      }
      return Event::kNone;

    case State::kBody:
      if (byte == kFrameDle) {
        state_ = State::kBodyDle;
        return Event::kNone;
      }
      break;

    case State::kBodyDle:
      if (byte == kFrameEtx) {
        state_ = State::kCheck;
        return Event::kNone;
      }
      if (byte == kFrameStx) {
        // A new start mark: the frame before it was cut short.
        StartBody();
        return Event::kBadFrame;
      }
      if (byte != kFrameDle) {
        Reset();
        return Event::kBadFrame;
      }
      state_ = State::kBody;
      break;

    case State::kCheck:
      if (byte == kFrameDle) {
        state_ = State::kCheckDle;
        return Event::kNone;
      }
      return Finish(byte);

    case State::kCheckDle:
      if (byte == kFrameDle) return Finish(kFrameDle);
      if (byte == kFrameStx) {
        StartBody();
        return Event::kBadFrame;
      }
      Reset();
      return Event::kBadFrame;
  }

  // A data byte of the body.
  if (message_.size() >= kBoxFrameCapacity) {
    Reset();
    return Event::kBadFrame;
  }
  message_.push_back(byte);
  check_ ^= byte;
  return Event::kNone;
}

}  // namespace zelvo::sim
