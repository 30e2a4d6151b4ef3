#include "platform/tick_clock.h"

#include <chrono>
#include <thread>

namespace zelvo::platform {
namespace {

SystemTickSource system_source;
TickSource* current_source = nullptr;

}  // namespace

uint32_t SystemTickSource::Now() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SystemTickSource::Sleep(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TickSource& Ticks() {
  return current_source != nullptr ? *current_source : system_source;
}

void SetTickSource(TickSource* source) {
  current_source = source;
}

ScopedTickSource::ScopedTickSource(TickSource& source) : previous_(current_source) {
  current_source = &source;
}

ScopedTickSource::~ScopedTickSource() {
  current_source = previous_;
}

}  // namespace zelvo::platform
