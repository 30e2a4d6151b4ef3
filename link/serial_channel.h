#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/serial_device.h"

namespace zelvo {

// The five link speeds; the user's speed choice and the loader search both index this table.
inline constexpr uint32_t SpeedTable[5] = {9600, 19200, 38400, 57600, 115200};

// Result codes of the serial port channel and the frame codec.
inline constexpr int kPortUnavailable = -1001;  // cannot open or configure, or rate refused
inline constexpr int kReadTimeout = -1002;      // no byte before the deadline
inline constexpr int kPortFailed = -1003;       // the port's error state cannot be cleared
inline constexpr int kFrameEscape = -1004;      // DLE followed by a byte other than DLE or ETX
inline constexpr int kFrameCheck = -1005;       // check byte differs
inline constexpr int kFrameOverflow = -1006;    // more message bytes than the capacity
inline constexpr int kWriteFailed = -1007;      // write failed or was short

// The one serial port of the process. Its state is module-wide: the port, the current rate and
// the open flag, which is set only while a connection is complete (see ConnectChannel) and which
// the request exchange requires.
namespace SerialChannel {

// Opens the port named "\\.\COMn" (mapped to a device path, see platform/port_names.h) or a
// device path, exclusively, at 9600 baud. 0 or kPortUnavailable; leaves the open flag alone.
int Open(const std::string& name);
// Closes the port; the open flag is left as it is.
void ClosePort();
// 0 or kPortUnavailable. The rate is recorded as the current one either way, as the driver
// state it stands for is read before the change.
int SetRate(uint32_t rate);
// Writes the whole block with one write: 0 or kWriteFailed.
int Write(const uint8_t* bytes, size_t count);
// Reads one byte: 0 (and the byte), kReadTimeout or kPortFailed. The deadline starts after the
// first empty read, so a missing byte is reported after about 110 + timeoutMs to
// 220 + timeoutMs milliseconds.
int ReadByte(uint32_t timeoutMs, uint8_t& byte);
// Drops received, unread input.
void PurgeReceive();

int OpenFlag();
void SetOpenFlag(int flag);
uint32_t CurrentRate();
bool PortIsOpen();

// Why the last Open failed, for front ends that can tell the user more than "cannot connect".
platform::OpenError LastOpenError();
const std::string& LastOpenDetail();

}  // namespace SerialChannel

// Ends a connection: closes the port and clears the open flag when the flag is set. Safe to
// call at any time, any number of times.
void CloseLink();

// Returns after `ms` milliseconds on the tick counter, also across its wrap. Sleeps in short
// slices instead of spinning: the thread does nothing else meanwhile either way.
void BusyWait(uint32_t ms);

// "\\.\COM%i" with portIndex + 1.
std::string PortDeviceName(int portIndex);
// The SpeedTable rate of speedIndex 1 to 4; 9600 for any other index.
uint32_t RateForSpeedIndex(int speedIndex);

}  // namespace zelvo
