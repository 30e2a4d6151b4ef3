#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelvo {

// Result codes of the loader commands and the identity query.
inline constexpr int kLoaderNotReady = -4004;  // LoaderCheck answered with an echoed 'r'
inline constexpr int kBadReply = -4005;        // wrong reply length or echoed opcode
inline constexpr int kEraseFailed = -4006;     // EraseFlashSector: non-zero status
inline constexpr int kProgramFailed = -4007;   // ProgramFlash: non-zero status

// Each command is one blocking request through the exchange; 0 on success, the exchange's code
// (-3001, -3002, -3003) unchanged, or the command's own code. None retries, none closes the link.

// 'r': 0 for any reply but one whose first byte is 'r', which gives kLoaderNotReady after a
// 1000 ms pause.
int LoaderCheck();
// 'd': 0 and the reply's length (echoed opcode included); the reply stays in ReplyBuffer() until
// the next command. No check of length or opcode here (see ReadDeviceIdentity).
int ReadIdentity(int& replyLength);
// 'e': reply of count + 7 bytes beginning with 'e'; the data are positions 7 onward.
int ReadMemory(uint32_t address, uint16_t count, uint8_t* destination);
// 'g': 2-byte reply 'g', status 0.
int EraseFlashSector(uint32_t address);
// 'h': 6-byte reply 'h', status 0.
int ProgramFlash(uint32_t address, uint16_t count, const uint8_t* data);
// 'i': any reply.
int SetLogicAccess(bool on);
// 'j': any reply; the device type is position 1. A reply too short to carry one gives the type
// 0, which no logic device reports.
int ReadLogicDeviceId(uint8_t& deviceType);
// 'k': 481-byte reply; positions 1-240 the programmed-verification image, 241-480 the erased one.
int ReadFuseRow(uint8_t row, std::string& programmedImage, std::string& erasedImage);
// 'l': the row number and exactly 240 characters of `fuses` (missing ones sent as '0'); any reply.
int ProgramFuseRow(uint8_t row, const std::string& fuses);
// 'm': 121-byte reply; positions 1-120.
int ReadUes(std::string& text);
// 'n': exactly 120 characters of `text` (missing ones sent as '0'); any reply.
int WriteUes(const std::string& text);
// 'p': any reply.
int EraseLogic();
// 'q': any reply.
int StartFirmware();

// The reply content of the last command (1500 bytes).
const uint8_t* ReplyBuffer();

}  // namespace zelvo
