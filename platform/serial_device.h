#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zelvo::platform {

// One opened serial device: the platform's side of the link's serial port channel.
//
// Contract, the same for every backend:
// - Opening (OpenSerialDevice) configures raw 8N1 at 9600 baud, binary, no hardware or software
//   flow control, DTR and RTS dropped where the device has modem lines. The open is exclusive: a
//   device that is already open, in this process or another, is refused (OpenError::Busy).
// - ReadOne delivers at most one byte and waits at most 110 ms for it.
// - Write hands the whole block to the device with one call and gives up after 10 * n + 100 ms;
//   it returns the number of bytes taken, which is n unless the device completed it short.
// - After a failed read or write the device is in an error state until ClearError; ClearError
//   tells whether the device is still usable (false once it has gone, e.g. a pulled USB adapter).
// - PurgeReceive drops received, unread input only; output already written is untouched.
// - The object owns the device; destroying it closes it.
class SerialDevice {
 public:
  enum class Read { kByte, kNothing, kFailed };

  virtual ~SerialDevice() = default;
  // Sets the line rate in baud; false when the device refuses it.
  virtual bool SetRate(uint32_t baud) = 0;
  // Writes the block; returns the count of bytes written, or -1 when the write failed.
  virtual long Write(const uint8_t* data, size_t count) = 0;
  virtual Read ReadOne(uint8_t& byte) = 0;
  virtual bool ClearError() = 0;
  virtual void PurgeReceive() = 0;
};

enum class OpenError {
  kNone,
  kNotFound,    // no such device
  kBusy,        // another program (or this one) holds it
  kPermission,  // no access rights: on Linux, membership of the dialout group
  kNotSerial,   // it exists but is no serial device, or refuses the line settings
};

struct OpenResult {
  std::unique_ptr<SerialDevice> device;  // null on failure
  OpenError error = OpenError::kNone;
  std::string detail;  // the system's own words for the failure, for the user
};

// Opens a device by path. A path registered with RegisterInProcessDevice opens that in-process
// device; any other path opens the real device through termios.
OpenResult OpenSerialDevice(const std::string& path);

// In-process devices: `open` is called for every open of `path` and either returns a device or
// fills in why it cannot (a busy device, say). Used by tests and by the demo's simulated box.
using InProcessOpener = std::function<OpenResult()>;
void RegisterInProcessDevice(const std::string& path, InProcessOpener open);
void UnregisterInProcessDevice(const std::string& path);

// A short text for an open error, naming what a user can do about it.
std::string DescribeOpenError(OpenError error);

}  // namespace zelvo::platform
