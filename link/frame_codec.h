#pragma once

#include <cstddef>
#include <cstdint>

namespace zelvo {

inline constexpr uint8_t kDle = 0x10;
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;

// Encodes a message as one frame (DLE STX, body with DLE doubled, DLE ETX, XOR check byte,
// doubled when it is DLE) and writes it with one SerialChannel::Write: 0 or kWriteFailed.
int SendFrame(const uint8_t* message, size_t n);

// Receives one frame into `buffer`, reading byte by byte, each read bounded by `timeoutMs`.
// Returns the count of message bytes (0 or more) or kReadTimeout, kPortFailed, kFrameEscape,
// kFrameCheck or kFrameOverflow. After a failure the buffer's content is not to be used.
int ReceiveFrame(uint8_t* buffer, size_t capacity, uint32_t timeoutMs);

}  // namespace zelvo
