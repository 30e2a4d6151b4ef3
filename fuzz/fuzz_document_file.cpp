// The ".gdb" loader on any file: LoadDocumentFile on the file, and Serialize through a
// BinaryArchive on a stream that can seek and on one that cannot, all against an independent
// reading of the format. A load either gives exactly the fields the file holds, or fails with
// "Unexpected file format." and leaves the document reset; a loaded document saves and loads back
// to the same values.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "app/settings_document.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_file.h"
#include "platform/binary_archive.h"

namespace zelvo::fuzz {
namespace {

struct Fields {
  uint16_t schema = 0;
  int32_t speed_index = 0;
  int32_t port_index = 0;
  std::string box_ip = "0.0.0.0";
  std::string host_ip = "255.255.255.255";
  std::string file_name;
  std::string subnet_mask = "255.255.255.255";
  std::string default_gateway = "255.255.255.255";
  uint32_t reserved_word = 0;

  bool SameValues(const CZelvohsDoc& doc) const {
    return doc.speed_index == speed_index && doc.port_index == port_index &&
           doc.box_ip_address == box_ip && doc.config_host_ip_address == host_ip &&
           doc.config_file_name == file_name && doc.subnet_mask == subnet_mask &&
           doc.default_gateway == default_gateway && doc.reserved_word == reserved_word;
  }
};

// Reads the format byte by byte; nullopt when the bytes end before a field.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool Number(size_t width, uint32_t& value) {
    if (bytes_.size() - at_ < width) return false;
    value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t{uint8_t(bytes_[at_ + i])} << (8 * i);
    at_ += width;
    return true;
  }
  bool Length(uint32_t first, uint32_t& length) {
    if (first < 0xFF) {
      length = first;
      return true;
    }
    uint32_t word = 0;
    if (!Number(2, word)) return false;
    if (word < 0xFFFF) {
      length = word;
      return true;
    }
    return Number(4, length);
  }
  bool Text(std::string& text) {
    uint32_t first = 0;
    if (!Number(1, first)) return false;
    uint32_t length = 0;
    bool wide = false;
    if (first == 0xFF) {
      uint32_t word = 0;
      if (!Number(2, word)) return false;
      if (word == 0xFFFE) {
        wide = true;
        uint32_t second = 0;
        if (!Number(1, second) || !Length(second, length)) return false;
      } else if (word < 0xFFFF) {
        length = word;
      } else if (!Number(4, length)) {
        return false;
      }
    } else {
      length = first;
    }
    uint64_t bytes = uint64_t{length} * (wide ? 2 : 1);
    if (bytes_.size() - at_ < bytes) return false;
    text.clear();
    for (uint32_t i = 0; i < length; ++i) {
      if (!wide) {
        text.push_back(bytes_[at_ + i]);
        continue;
      }
      unsigned c = uint8_t(bytes_[at_ + 2 * i]) | (unsigned{uint8_t(bytes_[at_ + 2 * i + 1])} << 8);
      text.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
    at_ += bytes;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

std::optional<Fields> Reference(std::string_view bytes) {
  Fields f;
  Reader r(bytes);
  uint32_t schema = 0, speed = 0, port = 0;
  if (!r.Number(2, schema) || !r.Number(2, speed) || !r.Number(2, port)) return std::nullopt;
  f.schema = static_cast<uint16_t>(schema);
  f.speed_index = static_cast<int32_t>(speed);
  f.port_index = static_cast<int32_t>(port);
  if (!r.Text(f.box_ip) || !r.Text(f.host_ip) || !r.Text(f.file_name)) return std::nullopt;
  if (f.schema > 1 && (!r.Text(f.subnet_mask) || !r.Text(f.default_gateway))) return std::nullopt;
  if (f.schema > 2 && !r.Number(2, f.reserved_word)) return std::nullopt;
  return f;
}

// A stream buffer over bytes that cannot tell its position or seek, as a pipe would be.
class UnseekableBuffer : public std::streambuf {
 public:
  explicit UnseekableBuffer(std::string& bytes) {
    setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
  }
};

// Serialize on a loading archive, as the document framework does: reset, then load; reset again
// when the load fails. Returns whether it loaded.
bool LoadThroughArchive(CZelvohsDoc& doc, std::istream& in) {
  doc.DeleteContents();
  try {
    platform::BinaryArchive archive(in);
    doc.Serialize(archive);
    return true;
  } catch (const platform::ArchiveException& e) {
    ZELVO_FUZZ_CHECK(e.cause() == platform::ArchiveException::Cause::kEndOfFile);
    doc.DeleteContents();
    return false;
  }
}

void Prefill(CZelvohsDoc& doc) {
  doc.speed_index = 3;
  doc.port_index = 7;
  doc.box_ip_address = "192.168.1.10";
  doc.config_host_ip_address = "10.0.0.2";
  doc.config_file_name = "boot.cfg";
  doc.subnet_mask = "255.255.255.0";
  doc.default_gateway = "192.168.1.1";
  doc.reserved_word = 0x1234;
  doc.SetModifiedFlag();
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  static fuzz::ScratchFile file("document.gdb");
  std::string bytes(reinterpret_cast<const char*>(data), size);
  file.Write(bytes);
  const fuzz::Fields reset;
  // A file of 0 bytes is not read at all: the document keeps its reset values.
  std::optional<fuzz::Fields> expected = size == 0 ? reset : fuzz::Reference(bytes);

  CZelvohsDoc doc;
  fuzz::Prefill(doc);
  DocumentFileResult result = LoadDocumentFile(doc, file.path());
  ZELVO_FUZZ_CHECK(result.ok == expected.has_value());
  if (result.ok) {
    ZELVO_FUZZ_CHECK(result.message.empty());
    ZELVO_FUZZ_CHECK(expected->SameValues(doc));
    if (size > 0) ZELVO_FUZZ_CHECK(doc.schema_number == expected->schema);
    ZELVO_FUZZ_CHECK(!doc.IsModified());
  } else {
    ZELVO_FUZZ_CHECK(result.message == kUnexpectedFileFormat);
    ZELVO_FUZZ_CHECK(reset.SameValues(doc));
  }

  if (size > 0) {
    CZelvohsDoc seekable;
    fuzz::Prefill(seekable);
    std::istringstream in(bytes);
    ZELVO_FUZZ_CHECK(fuzz::LoadThroughArchive(seekable, in) == expected.has_value());
    ZELVO_FUZZ_CHECK((expected ? *expected : reset).SameValues(seekable));

    CZelvohsDoc unseekable;
    fuzz::Prefill(unseekable);
    std::string copy = bytes;
    fuzz::UnseekableBuffer buffer(copy);
    std::istream pipe(&buffer);
    ZELVO_FUZZ_CHECK(fuzz::LoadThroughArchive(unseekable, pipe) == expected.has_value());
    ZELVO_FUZZ_CHECK((expected ? *expected : reset).SameValues(unseekable));
  }

  if (result.ok) {
    // Stored (always as schema 3) and loaded again, the document keeps its values, the indices
    // and the reserved word by their low 16 bits, which is all a file holds of them.
    std::ostringstream out;
    {
      platform::BinaryArchive archive(out);
      doc.Serialize(archive);
    }
    std::string stored = out.str();
    ZELVO_FUZZ_CHECK(stored.size() >= 2 && stored[0] == 3 && stored[1] == 0);
    std::optional<fuzz::Fields> again = fuzz::Reference(stored);
    ZELVO_FUZZ_CHECK(again.has_value() && again->SameValues(doc));
    CZelvohsDoc reloaded;
    std::istringstream in(stored);
    ZELVO_FUZZ_CHECK(fuzz::LoadThroughArchive(reloaded, in));
    ZELVO_FUZZ_CHECK(again->SameValues(reloaded));
  }
  return 0;
}
