#include "sim/box.h"

#include <algorithm>

#include "sim/box_versions.h"

namespace zelvo::sim {
namespace {

uint32_t Be32(const std::vector<uint8_t>& bytes, size_t at) {
  return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
         (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
}

uint16_t Be16(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void PutBe16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutBe32(std::vector<uint8_t>& out, uint32_t value) {
  PutBe16(out, static_cast<uint16_t>(value >> 16));
  PutBe16(out, static_cast<uint16_t>(value));
}

uint32_t TickOf(uint64_t us) {
  return static_cast<uint32_t>((us + 999) / 1000);
}

}  // namespace

// ---- Settings ----

void Box::set_listen_rate(uint32_t baud) {
  listen_rate_ = baud;
  scheduled_ = {};
  receiver_.Reset();
}

void Box::set_running_firmware(bool running) {
  in_firmware_ = running;
  saw_wake_first_ = false;
  receiver_.Reset();
  if (running) logic_.set_access(false);
}

void Box::set_loader_version(uint16_t version) {
  loader_version_ = version;
  ++state_version_;
}

bool Box::set_serial(const std::string& serial) {
  if (serial.size() != 8 && serial.size() != 10) return false;
  serial_ = serial;
  ++state_version_;
  return true;
}

void Box::set_device_type(uint8_t type) {
  logic_.set_device_type(type);
  ++state_version_;
}

uint16_t Box::firmware_raw_version() const {
  return FirmwareRawVersion(flash_);
}
uint16_t Box::logic_raw_version() const {
  return LogicRawVersion(logic_);
}

void Box::SetRandomFaults(const RandomFaults& random) {
  random_ = random;
  rng_.seed(random.seed);
}

// ---- Time ----

uint64_t Box::Microseconds(uint32_t tick) {
  // Ticks wrap after 2^32 ms; a step back of more than half the range is a wrap.
  if (have_tick_ && tick < last_tick_ && last_tick_ - tick > 0x80000000u) ++tick_wraps_;
  have_tick_ = true;
  last_tick_ = tick;
  return ((tick_wraps_ << 32) | tick) * 1000;
}

uint64_t Box::LineTimeUs(size_t bytes, uint32_t baud) const {
  if (!line_timing_ || baud == 0) return 0;
  return uint64_t{bytes} * 10'000'000 / baud;
}

uint32_t Box::ProcessingMs(uint8_t opcode) const {
  auto found = processing_ms_by_opcode_.find(opcode);
  return found != processing_ms_by_opcode_.end() ? found->second : processing_ms_;
}

bool Box::Dead() const {
  return faults_.stop_after_requests >= 0 && requests_handled_ >= faults_.stop_after_requests;
}

void Box::ApplyScheduled(uint64_t now_us) {
  if (!scheduled_.pending || now_us < scheduled_.at_us) return;
  AfterReply change = scheduled_.change;
  scheduled_ = {};
  if (change.rate) {
    listen_rate_ = *change.rate;
    awaiting_final_ping_ = true;
    receiver_.Reset();
  }
  if (change.start_firmware) set_running_firmware(true);
}

// ---- The line ----

void Box::OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) {
  ReceiveHostBytes(data, count, baud, Microseconds(start));
}

void Box::OnHostBytesUs(const uint8_t* data, size_t count, uint32_t baud, uint64_t start_us) {
  ReceiveHostBytes(data, count, baud, start_us);
}

void Box::ReceiveHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint64_t start_us) {
  // The host's bytes leave one after the other: a block written while the previous one is still
  // on the line follows it.
  if (line_timing_) start_us = std::max(start_us, rx_free_us_);
  for (size_t i = 0; i < count; ++i) {
    TakeByte(data[i], start_us + LineTimeUs(i + 1, baud), baud);
  }
  rx_free_us_ = start_us + LineTimeUs(count, baud);
}

void Box::TakeByte(uint8_t byte, uint64_t arrival_us, uint32_t baud) {
  ApplyScheduled(arrival_us);
  if (faults_.silent || Dead()) return;
  if (baud != listen_rate_) {
    // At a wrong rate a byte is garbage: it spoils whatever was being received.
    receiver_.Reset();
    saw_wake_first_ = false;
    return;
  }
  if (in_firmware_) {
    WatchForWakeUp(byte);
    return;
  }
  switch (receiver_.Feed(byte)) {
    case FrameReceiver::Event::kNone:
      break;
    case FrameReceiver::Event::kBadFrame:
      ++ignored_frames_;
      break;
    case FrameReceiver::Event::kFrame:
      HandleFrame(receiver_.message(), arrival_us, baud);
      break;
  }
}

void Box::WatchForWakeUp(uint8_t byte) {
  if (saw_wake_first_ && byte == kWakeUp[1]) {
    set_running_firmware(false);
    return;
  }
  saw_wake_first_ = byte == kWakeUp[0];
}

void Box::TakeOutput(std::vector<platform::TimedByte>& out) {
  for (const TimedByteUs& b : output_) out.push_back({TickOf(b.at_us), b.byte});
  output_.clear();
}

void Box::TakeOutputUs(std::vector<TimedByteUs>& out) {
  out.insert(out.end(), output_.begin(), output_.end());
  output_.clear();
}

void Box::HandleFrame(const Bytes& message, uint64_t arrival_us, uint32_t baud) {
  if (message.size() < 3) {
    ++ignored_frames_;
    return;
  }
  size_t length = (size_t{message[0] & 0x07u} << 8) | message[1];
  if (length != message.size() - 2) {
    ++ignored_frames_;
    return;
  }
  uint8_t opcode = message[2];
  Bytes payload(message.begin() + 3, message.end());
  bool final_ping = awaiting_final_ping_;
  after_reply_ = {};
  std::optional<Bytes> content = Execute(opcode, payload);
  if (!content) {
    ++ignored_frames_;
    return;
  }
  awaiting_final_ping_ = false;
  log_.push_back({opcode, std::move(payload), baud, TickOf(arrival_us), message[0], arrival_us});
  ++requests_handled_;
  // The no-final-ping fault: the first ping at a new rate is heard but never answered.
  if (opcode == kOpPing && final_ping && faults_.no_final_ping) return;
  SendReply(message[0], opcode, std::move(*content),
            arrival_us + uint64_t{ProcessingMs(opcode)} * 1000);
}

void Box::SendReply(uint8_t request_header0, uint8_t opcode, Bytes content, uint64_t ready_us) {
  if (faults_.wrong_opcode.Take(opcode) && !content.empty()) content[0] ^= 0x20;
  if (faults_.short_content.Take(opcode) && !content.empty()) content.pop_back();
  if (faults_.long_content.Take(opcode)) content.push_back(0x00);
  size_t length = content.size() + (faults_.header_length_mismatch.Take(opcode) ? 1 : 0);

  Bytes message;
  message.reserve(content.size() + 2);
  // The reply keeps the request's sequence bits and exchange flag.
  message.push_back(static_cast<uint8_t>((request_header0 & 0xD0) | ((length >> 8) & 0x07)));
  message.push_back(static_cast<uint8_t>(length & 0xFF));
  message.insert(message.end(), content.begin(), content.end());
  Bytes frame = EncodeBoxFrame(message, faults_.corrupt_check.Take(opcode) ? 0xFF : 0x00);
  bool lost = faults_.drop_replies.Take(opcode);

  uint64_t start_us = std::max(ready_us, tx_free_us_);
  bool handshake = opcode == kOpPing || opcode == kOpSetSpeed;
  if (random_.any() && (!handshake || random_.handshake_too)) {
    // Every draw is made for every reply, so a seed gives the same faults whatever they hit.
    bool drop = Chance(random_.drop);
    bool truncate = Chance(random_.truncate);
    size_t keep = 1 + rng_() % (frame.size() - 1);
    bool corrupt = Chance(random_.corrupt);
    size_t corrupt_at = rng_() % frame.size();
    uint8_t corrupt_with = static_cast<uint8_t>(1 + rng_() % 255);
    bool delay = Chance(random_.delay);
    lost = lost || drop;
    if (corrupt) frame[corrupt_at] ^= corrupt_with;
    if (truncate) frame.resize(keep);
    if (delay) start_us += uint64_t{random_.delay_ms} * 1000;
  }

  if (!lost) {
    for (size_t k = 0; k < frame.size(); ++k) {
      output_.push_back({start_us + LineTimeUs(k + 1, listen_rate_), frame[k]});
    }
  }
  // The box's transmitter is busy for the whole frame, also when the line loses it.
  uint64_t end_us = start_us + LineTimeUs(frame.size(), listen_rate_);
  tx_free_us_ = end_us;
  if (after_reply_.rate || after_reply_.start_firmware) {
    scheduled_ = {true, end_us, after_reply_};
    after_reply_ = {};
  }
}

bool Box::Chance(double probability) {
  double draw = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
  return draw < probability;
}

// ---- Commands ----

std::optional<Box::Bytes> Box::Execute(uint8_t opcode, const Bytes& payload) {
  switch (opcode) {
    case kOpPing:
      if (!payload.empty()) return std::nullopt;
      return Bytes{kOpPing};
    case kOpSetSpeed:
      if (payload.size() != 4) return std::nullopt;
      return SetSpeed(payload);
    case kOpLoaderCheck:
      if (faults_.loader_checks_in_setting > 0) {
        --faults_.loader_checks_in_setting;
        return Bytes{kOpLoaderCheck};
      }
      return Bytes{kLoaderCheckAnswer};
    case kOpReadIdentity: {
      Bytes reply = IdentityReply();
      reply[0] = faults_.identity_letter;
      if (faults_.identity_reply_length > 0) {
        reply.resize(static_cast<size_t>(faults_.identity_reply_length), 0x00);
      }
      return reply;
    }
    case kOpReadMemory:
      return ReadMemory(payload);
    case kOpEraseFlashSector:
      return EraseFlashSector(payload);
    case kOpProgramFlash:
      return ProgramFlash(payload);
    case kOpSetLogicAccess:
      return SetLogicAccess(payload);
    case kOpReadLogicDeviceId:
      if (!logic_.access()) return Bytes{kOpReadLogicDeviceId};
      return Bytes{kOpReadLogicDeviceId, logic_.device_type()};
    case kOpReadFuseRow:
      return ReadFuseRow(payload);
    case kOpProgramFuseRow:
      return ProgramFuseRow(payload);
    case kOpReadUes:
      return ReadUes();
    case kOpWriteUes:
      return WriteUes(payload);
    case kOpEraseLogic:
      return EraseLogic();
    case kOpStartFirmware:
      after_reply_.start_firmware = true;
      return Bytes{kOpStartFirmware};
    default:
      return std::nullopt;
  }
}

std::vector<uint8_t> Box::IdentityReply() const {
  Bytes reply{kOpReadIdentity};
  PutBe16(reply, loader_version_);
  PutBe16(reply, firmware_raw_version());
  PutBe16(reply, logic_raw_version());
  reply.insert(reply.end(), serial_.begin(), serial_.end());
  return reply;
}

Box::Bytes Box::SetSpeed(const Bytes& payload) {
  uint32_t rate = faults_.confirm_rate != 0 ? faults_.confirm_rate : Be32(payload, 0);
  // A rate the loader cannot take: it stays where it is and says so.
  if (rate == 0 || faults_.refused_rates.contains(rate)) rate = listen_rate_;
  Bytes reply{kOpSetSpeed};
  PutBe32(reply, rate);
  int content_length = std::max(0, faults_.setspeed_reply_length - 2);
  reply.resize(static_cast<size_t>(content_length), 0x00);
  after_reply_.rate = rate;
  return reply;
}

Box::Bytes Box::ReadMemory(const Bytes& payload) const {
  // A request the loader cannot answer in full gets the bare opcode, which no caller takes for
  // the data it asked for.
  if (payload.size() != 6) return Bytes{kOpReadMemory};
  uint16_t count = Be16(payload, 4);
  if (count > kMaxReadCount) return Bytes{kOpReadMemory};
  Bytes reply{kOpReadMemory};
  reply.insert(reply.end(), payload.begin(), payload.end());
  Bytes data = flash_.Read(Be32(payload, 0), count);
  reply.insert(reply.end(), data.begin(), data.end());
  return reply;
}

Box::Bytes Box::EraseFlashSector(const Bytes& payload) {
  FlashStatus status = FlashStatus::kBadRequest;
  if (payload.size() == 4) {
    uint32_t address = Be32(payload, 0);
    if (faults_.failing_erase_sectors.contains(address)) {
      status = FlashStatus::kDeviceFault;
    } else {
      status = flash_.Erase(address);
      if (status == FlashStatus::kOk) ++state_version_;
    }
  }
  return Bytes{kOpEraseFlashSector, static_cast<uint8_t>(status)};
}

Box::Bytes Box::ProgramFlash(const Bytes& payload) {
  FlashStatus status = FlashStatus::kBadRequest;
  if (payload.size() >= 6 && payload.size() == 6u + Be16(payload, 4)) {
    uint32_t address = Be32(payload, 0);
    uint16_t count = Be16(payload, 4);
    const uint8_t* data = payload.data() + 6;
    bool covers_failing = faults_.failing_program_at && *faults_.failing_program_at >= address &&
                          uint64_t{*faults_.failing_program_at} < uint64_t{address} + count;
    if (faults_.failing_programs > 0) {
      --faults_.failing_programs;
      status = FlashStatus::kDeviceFault;
    } else if (covers_failing) {
      status = FlashStatus::kDeviceFault;
    } else {
      status = flash_.Program(address, data, count);
      if (status == FlashStatus::kOk && count > 0) {
        ++state_version_;
        for (uint16_t i = 0; i < count; ++i) program_checksum_ += data[i];
      }
    }
  }
  Bytes reply{kOpProgramFlash, static_cast<uint8_t>(status)};
  PutBe32(reply, program_checksum_);
  return reply;
}

Box::Bytes Box::SetLogicAccess(const Bytes& payload) {
  if (payload.size() != 1 || payload[0] > 1) return Bytes{kOpSetLogicAccess, kLogicBadRequest};
  logic_.set_access(payload[0] == 1);
  return Bytes{kOpSetLogicAccess, kLogicOk};
}

Box::Bytes Box::ReadFuseRow(const Bytes& payload) const {
  if (!logic_.access() || payload.size() != 1 || payload[0] >= LogicDevice::kRows) {
    return Bytes{kOpReadFuseRow};
  }
  int row = payload[0];
  std::string programmed = logic_.row(row);
  std::string erased = programmed;
  // A damaged fuse shows as the first fuse read the other way.
  auto flip = [](std::string& image) { image[0] = image[0] == '0' ? '1' : '0'; };
  if (row == faults_.bad_programmed_image_row) flip(programmed);
  if (row == faults_.bad_erased_image_row) flip(erased);
  Bytes reply{kOpReadFuseRow};
  reply.insert(reply.end(), programmed.begin(), programmed.end());
  reply.insert(reply.end(), erased.begin(), erased.end());
  return reply;
}

Box::Bytes Box::ProgramFuseRow(const Bytes& payload) {
  if (!logic_.access()) return Bytes{kOpProgramFuseRow, kLogicNoAccess};
  if (payload.size() != 1 + LogicDevice::kRowLength) {
    return Bytes{kOpProgramFuseRow, kLogicBadRequest};
  }
  std::string_view fuses(reinterpret_cast<const char*>(payload.data() + 1),
                         LogicDevice::kRowLength);
  if (!logic_.ProgramRow(payload[0], fuses)) return Bytes{kOpProgramFuseRow, kLogicBadRequest};
  ++state_version_;
  return Bytes{kOpProgramFuseRow, kLogicOk};
}

Box::Bytes Box::ReadUes() const {
  if (!logic_.access()) return Bytes{kOpReadUes};
  std::string signature = logic_.signature();
  if (faults_.signature_reads_differently) {
    signature.back() = signature.back() == '0' ? '1' : '0';
  }
  Bytes reply{kOpReadUes};
  reply.insert(reply.end(), signature.begin(), signature.end());
  return reply;
}

Box::Bytes Box::WriteUes(const Bytes& payload) {
  if (!logic_.access()) return Bytes{kOpWriteUes, kLogicNoAccess};
  std::string_view fuses(reinterpret_cast<const char*>(payload.data()), payload.size());
  if (!logic_.WriteSignature(fuses)) return Bytes{kOpWriteUes, kLogicBadRequest};
  ++state_version_;
  return Bytes{kOpWriteUes, kLogicOk};
}

Box::Bytes Box::EraseLogic() {
  if (!logic_.access()) return Bytes{kOpEraseLogic, kLogicNoAccess};
  logic_.Erase();
  ++state_version_;
  return Bytes{kOpEraseLogic, kLogicOk};
}

}  // namespace zelvo::sim
