#include "platform/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace zelvo::platform {
namespace {

// A pseudo-terminal pair: the test holds the master side, the device under test opens the other.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
  }
  ~Pty() { Close(); }
  void Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  const std::string& path() const { return path_; }
  int master() const { return master_; }

 private:
  int master_ = -1;
  std::string path_;
};

TEST(PosixSerialDevice, MissingDeviceIsNotFound) {
  OpenResult r = OpenSerialDevice("/dev/zelvo-no-such-port");
  EXPECT_FALSE(r.device);
  EXPECT_EQ(r.error, OpenError::kNotFound);
  EXPECT_NE(r.detail.find("/dev/zelvo-no-such-port"), std::string::npos);
}

TEST(PosixSerialDevice, FileThatIsNoSerialPortIsRefused) {
  char path[] = "/tmp/zelvo-notaport-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  OpenResult r = OpenSerialDevice(path);
  EXPECT_FALSE(r.device);
  EXPECT_EQ(r.error, OpenError::kNotSerial);
  ::close(fd);
  ::unlink(path);
}

TEST(PosixSerialDevice, SecondOpenOfAPortIsRefusedAndTheFirstKeepsWorking) {
  Pty pty;
  ASSERT_FALSE(pty.path().empty());
  OpenResult first = OpenSerialDevice(pty.path());
  ASSERT_TRUE(first.device) << first.detail;
  OpenResult second = OpenSerialDevice(pty.path());
  EXPECT_FALSE(second.device);
  EXPECT_EQ(second.error, OpenError::kBusy);

  const uint8_t ping[] = {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00};
  EXPECT_EQ(first.device->Write(ping, sizeof ping), static_cast<long>(sizeof ping));
  uint8_t got[sizeof ping] = {};
  size_t n = 0;
  while (n < sizeof ping) {
    pollfd p{pty.master(), POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 2000), 0);
    ssize_t r = ::read(pty.master(), got + n, sizeof ping - n);
    ASSERT_GT(r, 0);
    n += static_cast<size_t>(r);
  }
  EXPECT_EQ(0, memcmp(got, ping, sizeof ping));
}

TEST(PosixSerialDevice, ReadsOneByteAtATimeAndPurgesUnreadInput) {
  Pty pty;
  OpenResult opened = OpenSerialDevice(pty.path());
  ASSERT_TRUE(opened.device) << opened.detail;
  SerialDevice& dev = *opened.device;
  uint8_t byte = 0;
  EXPECT_EQ(dev.ReadOne(byte), SerialDevice::Read::kNothing);

  ASSERT_EQ(::write(pty.master(), "ab", 2), 2);
  ASSERT_EQ(dev.ReadOne(byte), SerialDevice::Read::kByte);
  EXPECT_EQ(byte, 'a');
  ASSERT_EQ(dev.ReadOne(byte), SerialDevice::Read::kByte);
  EXPECT_EQ(byte, 'b');

  ASSERT_EQ(::write(pty.master(), "stale", 5), 5);
  ::usleep(20000);
  dev.PurgeReceive();
  EXPECT_EQ(dev.ReadOne(byte), SerialDevice::Read::kNothing);
}

TEST(PosixSerialDevice, PurgeDropsBytesAlreadyTakenFromTheDriverButNotYetRead) {
  Pty pty;
  OpenResult opened = OpenSerialDevice(pty.path());
  ASSERT_TRUE(opened.device) << opened.detail;
  SerialDevice& dev = *opened.device;
  // Both bytes are there before the first read, so it takes them from the driver together and
  // delivers only the first.
  ASSERT_EQ(::write(pty.master(), "xy", 2), 2);
  ::usleep(20000);
  uint8_t byte = 0;
  ASSERT_EQ(dev.ReadOne(byte), SerialDevice::Read::kByte);
  EXPECT_EQ(byte, 'x');
  dev.PurgeReceive();
  EXPECT_EQ(dev.ReadOne(byte), SerialDevice::Read::kNothing);
  // What comes after the purge is read, and nothing from before it.
  ASSERT_EQ(::write(pty.master(), "z", 1), 1);
  ASSERT_EQ(dev.ReadOne(byte), SerialDevice::Read::kByte);
  EXPECT_EQ(byte, 'z');
  EXPECT_EQ(dev.ReadOne(byte), SerialDevice::Read::kNothing);
}

TEST(PosixSerialDevice, DeliversALongBurstOneBytePerCallInOrder) {
  Pty pty;
  OpenResult opened = OpenSerialDevice(pty.path());
  ASSERT_TRUE(opened.device) << opened.detail;
  // More than one read of the driver takes, so the burst is delivered across refills.
  std::string burst;
  for (int i = 0; i < 700; ++i) burst.push_back(static_cast<char>('A' + i % 26));
  ASSERT_EQ(::write(pty.master(), burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));
  std::string got;
  uint8_t byte = 0;
  while (got.size() < burst.size() + 1 &&
         opened.device->ReadOne(byte) == SerialDevice::Read::kByte) {
    got.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(got, burst);
}

TEST(PosixSerialDevice, SetsEveryLinkRateAndRatesBetweenThem) {
  Pty pty;
  OpenResult opened = OpenSerialDevice(pty.path());
  ASSERT_TRUE(opened.device) << opened.detail;
  for (uint32_t rate : {9600u, 19200u, 38400u, 57600u, 115200u, 100000u, 250000u}) {
    EXPECT_TRUE(opened.device->SetRate(rate)) << rate;
  }
}

TEST(PosixSerialDevice, DeviceWhoseOtherSideWentAwayFailsAndCannotBeCleared) {
  Pty pty;
  OpenResult opened = OpenSerialDevice(pty.path());
  ASSERT_TRUE(opened.device) << opened.detail;
  pty.Close();  // like a pulled USB adapter
  uint8_t byte = 0;
  EXPECT_EQ(opened.device->ReadOne(byte), SerialDevice::Read::kFailed);
  EXPECT_FALSE(opened.device->ClearError());
}

}  // namespace
}  // namespace zelvo::platform
