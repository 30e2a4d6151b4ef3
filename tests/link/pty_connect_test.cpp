// The link against the simulator program on a real pseudo-terminal: the termios backend, the
// real clock, and a box that hears only the rate the host's port is set to.
#include <gtest/gtest.h>

#include <cstdlib>

#include "link/loader_handshake.h"
#include "link/serial_channel.h"
#include "loader/device_identity.h"
#include "tests/support/sim_process.h"

namespace zelvo {
namespace {

class PtyConnectTest : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& options) {
    sim_ = std::make_unique<testing::SimProcess>(ZELVO9_SIM_PATH, options);
    ASSERT_FALSE(sim_->path().empty()) << "the simulator did not start";
    ::setenv("ZELVO_COM1", sim_->path().c_str(), 1);
  }
  void TearDown() override {
    CloseLink();
    SerialChannel::ClosePort();
    ::unsetenv("ZELVO_COM1");
    if (sim_) {
      EXPECT_EQ(sim_->Stop(), 0) << "the simulator must end cleanly";
    }
  }
  std::unique_ptr<testing::SimProcess> sim_;
};

TEST_F(PtyConnectTest, FollowsTheLoaderThroughEveryWantedSpeed) {
  Start({"--rate", "9600", "--serial", "1234567890"});
  // Each connect starts where the previous one left the loader.
  for (int speed : {1, 2, 3, 4, 0, 0}) {
    ASSERT_EQ(OpenLoaderLink(0, speed), 0) << "to " << SpeedTable[speed];
    EXPECT_EQ(SerialChannel::CurrentRate(), SpeedTable[speed]);
    DeviceIdentity identity;
    ASSERT_EQ(ReadDeviceIdentity(identity), 0);
    EXPECT_EQ(identity.serial_number, "1234567890");
    CloseLink();
  }
}

TEST_F(PtyConnectTest, LoaderStartingAtTheTopSpeedIsFoundAtOnce) {
  Start({"--rate", "115200"});
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  DeviceIdentity identity;
  ASSERT_EQ(ReadDeviceIdentity(identity), 0);
  EXPECT_EQ(identity.serial_number, "12345678");
}

TEST_F(PtyConnectTest, SecondOpenOfTheSamePortIsRefusedWhileTheFirstHoldsIt) {
  Start({});
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  platform::OpenResult second = platform::OpenSerialDevice(sim_->path());
  EXPECT_FALSE(second.device);
  EXPECT_EQ(second.error, platform::OpenError::kBusy);
  DeviceIdentity identity;
  EXPECT_EQ(ReadDeviceIdentity(identity), 0) << "the first holder is not disturbed";
}

}  // namespace
}  // namespace zelvo
