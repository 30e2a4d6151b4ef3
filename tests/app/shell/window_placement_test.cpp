#include "app/shell/window_placement.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/profile_file.h"

namespace zelvo {
namespace {

const WindowRect kDesktop{0, 0, 1024, 768};

platform::ProfileFile ProfileWith(const WindowRect& rect) {
  platform::ProfileFile profile("/nonexistent/zelvogdb-test.INI");
  profile.WriteInt(platform::kWindowPosSection, "leftPos", rect.left);
  profile.WriteInt(platform::kWindowPosSection, "topPos", rect.top);
  profile.WriteInt(platform::kWindowPosSection, "rightPos", rect.right);
  profile.WriteInt(platform::kWindowPosSection, "bottomPos", rect.bottom);
  return profile;
}

TEST(WindowPlacementTest, RestoresOnlyARectangleInsideTheDesktop) {
  struct Case {
    WindowRect stored;
    bool restored;
  };
  const Case cases[] = {
      {{100, 100, 700, 500}, true},
      {{-10, 100, 600, 500}, false},
      {{0, 0, 1024, 768}, true},  // the edges may touch the desktop's
      {{100, -1, 700, 500}, false},
      {{100, 100, 1025, 500}, false},
      {{100, 100, 700, 769}, false},
      // A rectangle turned inside out would be no window at all.
      {{700, 100, 100, 500}, false},
      {{0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.stored.left) + "," + std::to_string(c.stored.top) + "," +
                 std::to_string(c.stored.right) + "," + std::to_string(c.stored.bottom));
    const std::optional<WindowRect> restored =
        PlacementToRestore(ProfileWith(c.stored), {kDesktop});
    EXPECT_EQ(restored.has_value(), c.restored);
    if (c.restored && restored) {
      EXPECT_EQ(*restored, c.stored);
    }
  }
}

TEST(WindowPlacementTest, FitsAnyOneOfSeveralDisplays) {
  const WindowRect second{1024, 0, 2304, 1024};
  const platform::ProfileFile profile = ProfileWith({1100, 50, 1900, 650});
  EXPECT_FALSE(PlacementToRestore(profile, {kDesktop}));
  EXPECT_TRUE(PlacementToRestore(profile, {kDesktop, second}));
  // Across the border of the two it lies in neither.
  EXPECT_FALSE(PlacementToRestore(ProfileWith({900, 50, 1500, 650}), {kDesktop, second}));
  EXPECT_FALSE(PlacementToRestore(profile, {}));
}

TEST(WindowPlacementTest, LeftPos65535OrMissingMeansNone) {
  platform::ProfileFile empty("/nonexistent/zelvogdb-test.INI");
  EXPECT_FALSE(StoredWindowPlacement(empty));
  EXPECT_FALSE(PlacementToRestore(ProfileWith({kNoWindowPos, 100, 700, 500}), {kDesktop}));
  // Only leftPos decides; the others read 0 when missing.
  platform::ProfileFile left_only("/nonexistent/zelvogdb-test.INI");
  left_only.WriteInt(platform::kWindowPosSection, "leftPos", 5);
  EXPECT_EQ(StoredWindowPlacement(left_only), (WindowRect{5, 0, 0, 0}));
  // A value that is no number counts as missing.
  platform::ProfileFile garbled = ProfileWith({100, 100, 700, 500});
  garbled.WriteString(platform::kWindowPosSection, "rightPos", "wide");
  EXPECT_EQ(StoredWindowPlacement(garbled), (WindowRect{100, 100, 0, 500}));
}

TEST(WindowPlacementTest, StoresTheNormalRectangleOnlyInTheNormalState) {
  const WindowRect before{100, 100, 700, 500};
  const WindowRect now{20, 30, 820, 630};
  for (WindowShowState state : {WindowShowState::kMaximized, WindowShowState::kMinimized}) {
    platform::ProfileFile profile = ProfileWith(before);
    EXPECT_FALSE(StoreWindowPlacement(profile, now, state));
    EXPECT_EQ(StoredWindowPlacement(profile), before);
  }
  platform::ProfileFile profile = ProfileWith(before);
  EXPECT_TRUE(StoreWindowPlacement(profile, now, WindowShowState::kNormal));
  EXPECT_EQ(StoredWindowPlacement(profile), now);
  EXPECT_EQ(profile.GetString(platform::kWindowPosSection, "leftPos"), "20");
  EXPECT_EQ(profile.GetString(platform::kWindowPosSection, "bottomPos"), "630");
}

TEST(WindowPlacementTest, AMaximisedCloseLeavesTheProfileFileAsItWas) {
  const std::string path = ::testing::TempDir() + "/window_placement_test.INI";
  {
    platform::ProfileFile file(path);
    ASSERT_TRUE(file.Load());
    StoreWindowPlacement(file, {100, 100, 700, 500}, WindowShowState::kNormal);
    ASSERT_TRUE(file.Save());
  }
  platform::ProfileFile file(path);
  ASSERT_TRUE(file.Load());
  StoreWindowPlacement(file, {0, 0, 1024, 768}, WindowShowState::kMaximized);
  ASSERT_TRUE(file.Save());
  platform::ProfileFile again(path);
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(StoredWindowPlacement(again), (WindowRect{100, 100, 700, 500}));
}

}  // namespace
}  // namespace zelvo
