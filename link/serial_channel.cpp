#include "link/serial_channel.h"

#include <cstdio>
#include <memory>

#include "link/line_trace.h"
#include "platform/port_names.h"
#include "platform/tick_clock.h"

namespace zelvo {
namespace {

// The process's one serial port channel.
struct ChannelState {
  std::unique_ptr<platform::SerialDevice> port;
  uint32_t current_rate = 9600;
  int open_flag = 0;
  platform::OpenError last_open_error = platform::OpenError::kNone;
  std::string last_open_detail;
};

ChannelState& Channel() {
  static ChannelState state;
  return state;
}

// Longest single sleep of a busy wait, so that a wait never overshoots by much.
constexpr uint32_t kBusyWaitSliceMs = 5;

}  // namespace

namespace SerialChannel {

int Open(const std::string& name) {
  ChannelState& ch = Channel();
  if (ch.port) {
    // The one channel already holds a port: a second open is refused like any busy port.
    ch.last_open_error = platform::OpenError::kBusy;
    ch.last_open_detail = platform::DescribeOpenError(ch.last_open_error);
    return kPortUnavailable;
  }
  platform::OpenResult opened = platform::OpenSerialDevice(platform::DevicePathForPortName(name));
  ch.last_open_error = opened.error;
  ch.last_open_detail = opened.detail;
  if (!opened.device) return kPortUnavailable;
  ch.port = std::move(opened.device);
  ch.current_rate = 9600;
  return 0;
}

void ClosePort() {
  Channel().port.reset();
}

int SetRate(uint32_t rate) {
  ChannelState& ch = Channel();
  if (!ch.port) return kPortUnavailable;
  // A rate of 0 is no line speed (a box that confirms it is broken); the exchange divides by the
  // current rate, so it is refused and never recorded.
  if (rate == 0) return kPortUnavailable;
  ch.current_rate = rate;
  return ch.port->SetRate(rate) ? 0 : kPortUnavailable;
}

int Write(const uint8_t* bytes, size_t count) {
  ChannelState& ch = Channel();
  if (!ch.port) return kWriteFailed;
  TraceLine(LineTraceEvent::Kind::kWrite, bytes, count, 0);
  long written = ch.port->Write(bytes, count);
  if (written < 0) {
    ch.port->ClearError();
    return kWriteFailed;
  }
  return static_cast<size_t>(written) == count ? 0 : kWriteFailed;
}

int ReadByte(uint32_t timeoutMs, uint8_t& byte) {
  ChannelState& ch = Channel();
  if (!ch.port) return kPortFailed;
  using Read = platform::SerialDevice::Read;
  if (ch.port->ReadOne(byte) == Read::kByte) return 0;
  uint32_t start = platform::TickCount();
  for (;;) {
    if (!ch.port->ClearError()) return kPortFailed;
    if (platform::TickCount() - start > timeoutMs) return kReadTimeout;
    if (ch.port->ReadOne(byte) == Read::kByte) return 0;
  }
}

void PurgeReceive() {
  ChannelState& ch = Channel();
  if (ch.port) ch.port->PurgeReceive();
}

int OpenFlag() {
  return Channel().open_flag;
}
void SetOpenFlag(int flag) {
  Channel().open_flag = flag;
}
uint32_t CurrentRate() {
  return Channel().current_rate;
}
bool PortIsOpen() {
  return Channel().port != nullptr;
}
platform::OpenError LastOpenError() {
  return Channel().last_open_error;
}
const std::string& LastOpenDetail() {
  return Channel().last_open_detail;
}

}  // namespace SerialChannel

void CloseLink() {
  ChannelState& ch = Channel();
  if (ch.open_flag != 0) {
    ch.port.reset();
    ch.open_flag = 0;
  }
}

void BusyWait(uint32_t ms) {
  platform::TickSource& ticks = platform::Ticks();
  uint32_t start = ticks.Now();
  for (;;) {
    uint32_t elapsed = ticks.Now() - start;
    if (elapsed >= ms) return;
    uint32_t left = ms - elapsed;
    ticks.Sleep(left < kBusyWaitSliceMs ? left : kBusyWaitSliceMs);
  }
}

std::string PortDeviceName(int portIndex) {
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\COM%i", portIndex + 1);
  return name;
}

uint32_t RateForSpeedIndex(int speedIndex) {
  return speedIndex >= 1 && speedIndex <= 4 ? SpeedTable[speedIndex] : 9600;
}

}  // namespace zelvo
