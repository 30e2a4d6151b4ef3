#pragma once

#include <cstdint>
#include <string>

namespace zelvo {

// The handshake's positive failure: the final ping after the speed change was not answered.
inline constexpr int kFinalPingFailed = 3;

// Opens the port, wakes the loader, finds the rate it listens at, moves it to `rate` and checks
// that it still answers. 0 (connected, exchange reset), kPortUnavailable, kNoValidReply or
// kFinalPingFailed; on failure the port is closed again.
int ConnectChannel(const std::string& name, uint32_t rate);

// ConnectChannel with the port name of portIndex and the rate of speedIndex.
int OpenLoaderLink(int portIndex, int speedIndex);

}  // namespace zelvo
