#include "loader/loader_commands.h"

#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "loader/command_content.h"

namespace zelvo {
namespace {

using loader_detail::Reply;
using loader_detail::Request;

constexpr size_t kFuseRowLength = 240;
constexpr size_t kUesLength = 120;

const uint8_t* reply_buffer = loader_detail::MutableReplyBuffer();

// The common check: reply length, then echoed opcode.
bool Shaped(int length, int expected, uint8_t opcode) {
  return length == expected && reply_buffer[0] == opcode;
}

}  // namespace

const uint8_t* ReplyBuffer() {
  return loader_detail::MutableReplyBuffer();
}

int LoaderCheck() {
  int length = Request('r').Send(10);
  if (length < 0) return length;
  if (length >= 1 && reply_buffer[0] == 'r') {
    BusyWait(1000);
    return kLoaderNotReady;
  }
  return 0;
}

int ReadIdentity(int& replyLength) {
  int length = Request('d').Send(1000);
  if (length < 0) return length;
  replyLength = length;
  return 0;
}

int ReadMemory(uint32_t address, uint16_t count, uint8_t* destination) {
  int length = Request('e').Long(address).Word(count).Send(10);
  if (length < 0) return length;
  if (!Shaped(length, count + 7, 'e')) return kBadReply;
  for (size_t i = 0; i < count; ++i) destination[i] = reply_buffer[7 + i];
  return 0;
}

int EraseFlashSector(uint32_t address) {
  int length = Request('g').Long(address).Send(10000);
  if (length < 0) return length;
  if (!Shaped(length, 2, 'g')) return kBadReply;
  return reply_buffer[1] == 0 ? 0 : kEraseFailed;
}

int ProgramFlash(uint32_t address, uint16_t count, const uint8_t* data) {
  if (size_t{count} + 7 > loader_detail::RequestCapacity()) return kRequestTooLong;
  int length = Request('h').Long(address).Word(count).Bytes(data, count).Send(1000);
  if (length < 0) return length;
  if (!Shaped(length, 6, 'h')) return kBadReply;
  return reply_buffer[1] == 0 ? 0 : kProgramFailed;
}

int SetLogicAccess(bool on) {
  int length = Request('i').Byte(on ? 1 : 0).Send(100);
  return length < 0 ? length : 0;
}

int ReadLogicDeviceId(uint8_t& deviceType) {
  int length = Request('j').Send(100);
  if (length < 0) return length;
  deviceType = length >= 2 ? reply_buffer[1] : 0;
  return 0;
}

int ReadFuseRow(uint8_t row, std::string& programmedImage, std::string& erasedImage) {
  int length = Request('k').Byte(row).Send(100);
  if (length < 0) return length;
  if (length != 1 + 2 * static_cast<int>(kFuseRowLength)) return kBadReply;
  Reply reply(1);
  programmedImage = reply.Text(kFuseRowLength);
  erasedImage = reply.Text(kFuseRowLength);
  return 0;
}

int ProgramFuseRow(uint8_t row, const std::string& fuses) {
  int length = Request('l').Byte(row).Text(fuses, kFuseRowLength).Send(300);
  return length < 0 ? length : 0;
}

int ReadUes(std::string& text) {
  int length = Request('m').Send(100);
  if (length < 0) return length;
  if (length != 1 + static_cast<int>(kUesLength)) return kBadReply;
  text = Reply(1).Text(kUesLength);
  return 0;
}

int WriteUes(const std::string& text) {
  int length = Request('n').Text(text, kUesLength).Send(300);
  return length < 0 ? length : 0;
}

int EraseLogic() {
  int length = Request('p').Send(600);
  return length < 0 ? length : 0;
}

int StartFirmware() {
  int length = Request('q').Send(200);
  return length < 0 ? length : 0;
}

}  // namespace zelvo
