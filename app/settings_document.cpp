#include "app/settings_document.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/atomic_file.h"

namespace zelvo {
namespace {

uint16_t Low16(int64_t value) {
  return static_cast<uint16_t>(value & 0xFFFF);
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

void CZelvohsDoc::DeleteContents() {
  speed_index = 0;
  port_index = 0;
  box_ip_address = "0.0.0.0";
  config_host_ip_address = "255.255.255.255";
  config_file_name.clear();
  subnet_mask = "255.255.255.255";
  default_gateway = "255.255.255.255";
  reserved_word = 0;
}

bool CZelvohsDoc::OnNewDocument() {
  DeleteContents();
  SetModifiedFlag(false);
  return true;
}

void CZelvohsDoc::Serialize(platform::BinaryArchive& archive) {
  if (archive.IsStoring()) {
    archive << kStoredSchema << Low16(speed_index) << Low16(port_index);
    archive << box_ip_address << config_host_ip_address << config_file_name;
    archive << subnet_mask << default_gateway;
    archive << Low16(reserved_word);
    return;
  }
  archive >> schema_number;
  speed_index = archive.ReadUint16();  // zero-extended: FF FF is 65535
  port_index = archive.ReadUint16();
  archive >> box_ip_address >> config_host_ip_address >> config_file_name;
  if (schema_number > 1) archive >> subnet_mask >> default_gateway;
  if (schema_number > 2) reserved_word = archive.ReadUint16();
  // Anything after the last field of the file's schema is not read.
}

void CZelvohsDoc::OnSetup(const std::function<bool(SetupValues&)>& run_dialog) {
  SetupValues values = CopySetupValues(*this);
  if (run_dialog && run_dialog(values)) ApplySetupValues(*this, values);
}

SetupValues CopySetupValues(const CZelvohsDoc& document) {
  return SetupValues{document.speed_index,      document.port_index,
                     document.box_ip_address,   document.config_host_ip_address,
                     document.config_file_name, document.subnet_mask,
                     document.default_gateway};
}

bool ApplySetupValues(CZelvohsDoc& document, const SetupValues& values) {
  if (values == CopySetupValues(document)) return false;
  document.SetModifiedFlag();
  document.speed_index = values.speed_index;
  document.port_index = values.port_index;
  document.box_ip_address = values.box_ip_address;
  document.config_host_ip_address = values.config_host_ip_address;
  document.config_file_name = values.config_file_name;
  document.subnet_mask = values.subnet_mask;
  document.default_gateway = values.default_gateway;
  return true;
}

DocumentFileResult LoadDocumentFile(CZelvohsDoc& document, const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return {false, "Cannot open " + Quoted(path) + ": " + std::strerror(errno) + "."};
  }
  if (!S_ISREG(info.st_mode)) {
    return {false, "Cannot open " + Quoted(path) + ": it is not a file."};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return {false, "Cannot open " + Quoted(path) + ": " + std::strerror(errno) + "."};
  }

  document.DeleteContents();
  if (file.peek() != std::ifstream::traits_type::eof()) {
    try {
      platform::BinaryArchive archive(file);
      document.Serialize(archive);
    } catch (const platform::ArchiveException& error) {
      document.DeleteContents();
      if (error.cause() == platform::ArchiveException::Cause::kReadFailed) {
        return {false, "Cannot read " + Quoted(path) + "."};
      }
      return {false, kUnexpectedFileFormat};
    }
  } else if (file.bad()) {
    return {false, "Cannot read " + Quoted(path) + "."};
  }
  document.SetModifiedFlag(false);
  return {true, {}};
}

DocumentFileResult SaveDocumentFile(CZelvohsDoc& document, const std::string& path) {
  std::ostringstream bytes;
  try {
    platform::BinaryArchive archive(bytes);
    document.Serialize(archive);
  } catch (const platform::ArchiveException& error) {
    return {false, "Cannot save " + Quoted(path) + ": " + error.what() + "."};
  }
  if (std::string error = platform::WriteFileAtomically(path, bytes.view()); !error.empty()) {
    return {false, "Cannot save " + Quoted(path) + ": " + error + "."};
  }
  document.SetModifiedFlag(false);
  return {true, {}};
}

}  // namespace zelvo
