#pragma once

#include <cstddef>
#include <cstdint>

namespace zelvo {

// Result codes of the request exchange (and, -3001, of the handshake).
inline constexpr int kNoValidReply = -3001;    // no valid reply within three attempts
inline constexpr int kRequestTooLong = -3002;  // content over 1498 bytes; nothing sent
inline constexpr int kNotConnected = -3003;    // no connection; nothing sent
inline constexpr int kReplyTooLong = -3004;    // reply content over the caller's capacity

inline constexpr size_t kMaxRequestContent = 1498;
inline constexpr size_t kFrameCapacity = 1500;
inline constexpr uint8_t kExchangeFlag = 0x10;

// Sends one request (opcode and payload) behind its 2-byte header and brings back the reply's
// content (echoed opcode first). Makes up to three attempts, each after purging the receive
// queue, each waiting ReplyTimeout per byte. Returns the reply content's length or a code.
int Exchange(const uint8_t* content, size_t n, uint8_t* replyOut, size_t capacity,
             uint32_t extraMs);

// The per-byte reply timeout: ((n + 2 + 1500) * 10000) / rate + extraMs + 200, in unsigned
// 32-bit arithmetic.
uint32_t ReplyTimeout(size_t n, uint32_t rate, uint32_t extraMs);

// Starts the exchange afresh after a connect: sequence counter 0, exchange flag 0x10.
void ResetExchange();

}  // namespace zelvo
