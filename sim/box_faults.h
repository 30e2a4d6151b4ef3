#pragma once

#include <cstdint>
#include <optional>
#include <set>

namespace zelvo::sim {

// A fault that hits the next `count` replies, of one command only when `opcode` is not 0. Each
// reply it hits uses up one count. Replies of the handshake (ping 0x01, SetSpeed 0x03) count too.
struct ReplyFault {
  int count = 0;
  uint8_t opcode = 0;

  bool Hits(uint8_t reply_opcode) const {
    return count > 0 && (opcode == 0 || opcode == reply_opcode);
  }
  // Hits() and, when it does, uses up one count.
  bool Take(uint8_t reply_opcode) {
    if (!Hits(reply_opcode)) return false;
    --count;
    return true;
  }
};

// Faults drawn at random for every reply of the request exchange (and of the handshake when
// `handshake_too`), each with its own probability, from a generator seeded with `seed`: the same
// seed and the same requests give the same faults.
struct RandomFaults {
  uint32_t seed = 1;
  double drop = 0.0;      // the reply is lost
  double truncate = 0.0;  // only a leading part of the reply's frame is sent
  double corrupt = 0.0;   // one byte of the reply's frame is changed
  double delay = 0.0;     // the reply comes `delay_ms` late
  uint32_t delay_ms = 500;
  bool handshake_too = false;

  bool any() const { return drop > 0 || truncate > 0 || corrupt > 0 || delay > 0; }
};

// Ways in which the box misbehaves, all off by default. Tests set them on Box::faults(); the
// zelvo9-sim program sets them from its options.
struct Faults {
  // The line and the handshake.
  bool silent = false;               // the box takes in nothing and answers nothing
  std::set<uint32_t> refused_rates;  // SetSpeed to one of these confirms the current rate
  uint32_t confirm_rate = 0;         // when not 0, SetSpeed confirms (and moves to) this rate
  bool no_final_ping = false;        // the first ping after every speed change goes unanswered
  int setspeed_reply_length = 7;     // message bytes of the SetSpeed reply (6 or 8 are faults)

  // Replies of any command.
  ReplyFault drop_replies;            // carried out, but the reply is never sent
  ReplyFault corrupt_check;           // the reply's check byte is wrong
  ReplyFault header_length_mismatch;  // the reply's header counts one byte more than it carries
  ReplyFault short_content;           // the content lacks its last byte (header agrees)
  ReplyFault long_content;            // the content has one byte 0x00 too many (header agrees)
  ReplyFault wrong_opcode;            // the echoed opcode has bit 5 flipped ('g' becomes 'G')

  // Flash.
  std::set<uint32_t> failing_erase_sectors;    // erasing these fails, nothing erased
  int failing_programs = 0;                    // the next N programs fail, nothing written
  std::optional<uint32_t> failing_program_at;  // a program covering this address fails

  // Logic device.
  int bad_programmed_image_row = -1;  // this row's programmed-verification image differs
  int bad_erased_image_row = -1;      // this row's erased-verification image differs
  bool signature_reads_differently = false;

  // Identity and loader check.
  int identity_reply_length = 0;     // when not 0, the identity reply is cut or padded to this
  uint8_t identity_letter = 'd';     // the identity reply's first byte
  int loader_checks_in_setting = 0;  // the next N LoaderChecks are answered 'r' (not in loader)

  // The box dies: after this many requests it takes in nothing more (-1: never).
  int stop_after_requests = -1;
};

}  // namespace zelvo::sim
