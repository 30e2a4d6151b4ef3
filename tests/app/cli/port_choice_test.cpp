#include "app/cli/port_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelvo::cli {
namespace {

using platform::OpenError;

TEST(CliPortChoice, ADevicePathIsPutUnderCom1) {
  ::unsetenv("ZELVO_COM1");
  EXPECT_EQ(ChoosePort("COM7"), 6);
  EXPECT_EQ(std::getenv("ZELVO_COM1"), nullptr) << "a COM name maps as it always does";
  EXPECT_EQ(ChoosePort("/dev/pts/9"), 0);
  EXPECT_EQ(DevicePathForPortIndex(0), "/dev/pts/9");
  EXPECT_EQ(ChoosePort("nonsense"), -1);
  EXPECT_EQ(DevicePathForPortIndex(-1), "");
  EXPECT_EQ(DevicePathForPortIndex(19), "");
  ::unsetenv("ZELVO_COM1");
}

TEST(CliPortChoice, TheCauseOfAFailedConnectNamesWhatToDo) {
  struct Case {
    int port_index;
    OpenError error;
    std::string detail;
    bool no_box;
    std::string cause;
  };
  const Case cases[] = {
      {-1, OpenError::kNone, "", false, "no port is selected"},
      {0, OpenError::kNone, "", true, "answered with loader version 0"},
      {0, OpenError::kPermission, "", false, "dialout group"},
      {0, OpenError::kBusy, "", false, "in use by another program"},
      {0, OpenError::kNotFound, "the port does not exist (/dev/x: gone)", false, "/dev/x: gone"},
      {0, OpenError::kNone, "", false, "opened, but no ZELVO9 loader answered"},
  };
  for (const Case& c : cases) {
    std::string cause = ConnectFailureCause(c.port_index, "/dev/x", c.error, c.detail, c.no_box);
    EXPECT_NE(cause.find(c.cause), std::string::npos) << cause;
  }
}

}  // namespace
}  // namespace zelvo::cli
