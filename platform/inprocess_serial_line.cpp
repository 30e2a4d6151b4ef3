#include "platform/inprocess_serial_line.h"

#include "platform/tick_clock.h"

namespace zelvo::platform {

// The one-byte read bound of every serial device.
constexpr uint32_t kReadBoundMs = 110;

class InProcessSerialLine::Device final : public SerialDevice {
 public:
  explicit Device(InProcessSerialLine& line) : line_(line) {}
  ~Device() override { line_.open_ = false; }

  bool SetRate(uint32_t baud) override {
    if (line_.unplugged_ || line_.refused_rates_.contains(baud)) return false;
    line_.rate_ = baud;
    return true;
  }

  long Write(const uint8_t* data, size_t count) override {
    if (line_.unplugged_) {
      failed_ = true;
      return -1;
    }
    size_t taken = count;
    if (line_.short_writes_ > 0 && count > 0) {
      --line_.short_writes_;
      taken = count - 1;
    }
    uint32_t now = TickCount();
    line_.writes_.push_back({now, line_.rate_, std::vector<uint8_t>(data, data + taken)});
    line_.peer_->OnHostBytes(data, taken, line_.rate_, now);
    return static_cast<long>(taken);
  }

  Read ReadOne(uint8_t& byte) override {
    if (line_.unplugged_ || failed_) {
      failed_ = true;
      return Read::kFailed;
    }
    Fetch();
    uint32_t now = TickCount();
    if (!line_.pending_.empty()) {
      uint32_t wait = line_.pending_.front().tick - now;
      if (static_cast<int32_t>(wait) <= 0) wait = 0;
      if (wait <= kReadBoundMs) {
        if (wait > 0) Ticks().Sleep(wait);
        byte = line_.pending_.front().byte;
        line_.pending_.pop_front();
        return Read::kByte;
      }
    }
    Ticks().Sleep(kReadBoundMs);
    return Read::kNothing;
  }

  bool ClearError() override {
    if (line_.unplugged_) return false;
    failed_ = false;
    return true;
  }

  void PurgeReceive() override {
    ++line_.purges_;
    Fetch();
    uint32_t now = TickCount();
    while (!line_.pending_.empty() &&
           static_cast<int32_t>(line_.pending_.front().tick - now) <= 0) {
      line_.pending_.pop_front();
    }
  }

 private:
  void Fetch() {
    std::vector<TimedByte> fresh;
    line_.peer_->TakeOutput(fresh);
    line_.pending_.insert(line_.pending_.end(), fresh.begin(), fresh.end());
  }

  InProcessSerialLine& line_;
  bool failed_ = false;
};

InProcessSerialLine::~InProcessSerialLine() {
  Unregister();
}

void InProcessSerialLine::Register(const std::string& path) {
  Unregister();
  path_ = path;
  RegisterInProcessDevice(path, [this] { return Open(); });
}

void InProcessSerialLine::Unregister() {
  if (!path_.empty()) UnregisterInProcessDevice(path_);
  path_.clear();
}

OpenResult InProcessSerialLine::Open() {
  OpenResult result;
  if (open_error_ != OpenError::kNone) {
    result.error = open_error_;
    result.detail = DescribeOpenError(open_error_);
    return result;
  }
  if (open_ || unplugged_) {
    result.error = unplugged_ ? OpenError::kNotFound : OpenError::kBusy;
    result.detail = DescribeOpenError(result.error);
    return result;
  }
  open_ = true;
  ++opens_;
  rate_ = 9600;
  // Whatever arrived while nobody listened is gone.
  pending_.clear();
  std::vector<TimedByte> stale;
  peer_->TakeOutput(stale);
  result.device = std::make_unique<Device>(*this);
  return result;
}

std::vector<uint8_t> InProcessSerialLine::WrittenBytes() const {
  std::vector<uint8_t> all;
  for (const Write& w : writes_) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
  return all;
}

void InProcessSerialLine::ClearLog() {
  writes_.clear();
  purges_ = 0;
  opens_ = 0;
}

}  // namespace zelvo::platform
