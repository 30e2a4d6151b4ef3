#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/binary_archive.h"

namespace zelvo {

// The seven values the Setup command hands to the Update/Setup dialog and takes back from it.
struct SetupValues {
  int speed_index = 0;
  int port_index = 0;
  std::string box_ip_address;
  std::string config_host_ip_address;
  std::string config_file_name;
  std::string subnet_mask;
  std::string default_gateway;

  // Indices as integers, texts character for character (case counts).
  bool operator==(const SetupValues&) const = default;
};

// The settings document: what the user enters in the Update/Setup dialog, kept in a ".gdb" file
// from one run to the next. It never talks to the box and checks none of its values: an index
// outside its list or a text that is no address is kept and stored as it is.
//
// The ".gdb" file (numbers little-endian, strings as platform::BinaryArchive writes them):
//   schema number (16 bits, always written as 3), speed index and port index (their low 16 bits),
//   box IP address, configuration host IP address, configuration file name, subnet mask, default
//   gateway, reserved word (16 bits).
// On loading, schemas 0 and 1 hold only the first three strings, schema 2 adds the subnet mask
// and the default gateway, 3 and above add the reserved word; fields a file does not hold keep
// their reset values, and bytes after the last field are ignored.
class CZelvohsDoc {
 public:
  static constexpr uint16_t kStoredSchema = 3;

  CZelvohsDoc() { DeleteContents(); }

  // Resets every field but the schema number.
  void DeleteContents();
  // The new-document step: resets the document and clears the modified flag. Always succeeds.
  bool OnNewDocument();
  // Stores the document into a storing archive, or loads it from a loading one (which the caller
  // has reset first). A file that ends early raises platform::ArchiveException.
  void Serialize(platform::BinaryArchive& archive);

  // The Setup command: copies the seven values into a SetupValues, lets `run_dialog` edit them
  // (true when the dialog ended with OK) and, after OK, takes them back (ApplySetupValues). After
  // Cancel the document stays as it was, whatever the dialog did meanwhile.
  void OnSetup(const std::function<bool(SetupValues&)>& run_dialog);

  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // The schema number of the file last loaded; used only while loading, kept by DeleteContents.
  uint16_t schema_number = 0;
  int32_t speed_index = 0;  // 0 = 9600 ... 4 = 115200 baud
  int32_t port_index = 0;   // 0 = COM1 ... 18 = COM19
  std::string box_ip_address;
  std::string config_host_ip_address;
  std::string config_file_name;
  std::string subnet_mask;
  std::string default_gateway;
  // Carried through the file and otherwise unused: only its low 16 bits are stored.
  uint32_t reserved_word = 0;

 private:
  bool modified_ = false;
};

// The document's seven dialog values.
SetupValues CopySetupValues(const CZelvohsDoc& document);
// Takes the dialog's values after OK: when any of the seven differs from the document's, marks
// the document modified and copies all seven into it; when all are equal, changes nothing.
// Returns whether anything differed.
bool ApplySetupValues(CZelvohsDoc& document, const SetupValues& values);

// The outcome of opening or saving a document file; `message` is for the user when !ok.
struct DocumentFileResult {
  bool ok = false;
  std::string message;
};

// The message for a file that ends before a field its schema calls for.
inline constexpr const char* kUnexpectedFileFormat = "Unexpected file format.";

// Opens a ".gdb" file into the document:
// - a file that cannot be opened: a message naming it; the document is left as it was;
// - otherwise the document is reset; a file of 0 bytes then leaves it so, a complete file is
//   loaded, and a file that ends early gives "Unexpected file format." with the document reset
//   again;
// - on success the modified flag is cleared.
DocumentFileResult LoadDocumentFile(CZelvohsDoc& document, const std::string& path);

// Saves the document as a ".gdb" file: writes a temporary file beside the target, flushes it to
// the disk and renames it over the target, so a failed save leaves the previous file whole. On
// failure a message names the file and the reason; on success the modified flag is cleared.
DocumentFileResult SaveDocumentFile(CZelvohsDoc& document, const std::string& path);

}  // namespace zelvo
