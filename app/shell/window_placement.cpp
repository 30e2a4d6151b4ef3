#include "app/shell/window_placement.h"

namespace zelvo {
namespace {

constexpr const char* kLeft = "leftPos";
constexpr const char* kTop = "topPos";
constexpr const char* kRight = "rightPos";
constexpr const char* kBottom = "bottomPos";

}  // namespace

std::optional<WindowRect> StoredWindowPlacement(const platform::ProfileFile& profile) {
  const auto section = platform::kWindowPosSection;
  if (profile.GetInt(section, kLeft, kNoWindowPos) == kNoWindowPos) return std::nullopt;
  return WindowRect{profile.GetInt(section, kLeft, 0), profile.GetInt(section, kTop, 0),
                    profile.GetInt(section, kRight, 0), profile.GetInt(section, kBottom, 0)};
}

bool LiesInside(const WindowRect& rect, const WindowRect& area) {
  return rect.left >= area.left && rect.top >= area.top && rect.right <= area.right &&
         rect.bottom <= area.bottom;
}

std::optional<WindowRect> PlacementToRestore(const platform::ProfileFile& profile,
                                             const std::vector<WindowRect>& displays) {
  const std::optional<WindowRect> stored = StoredWindowPlacement(profile);
  if (!stored) return std::nullopt;
  // A rectangle turned inside out would lie "inside" any area; it is no placement.
  if (stored->right <= stored->left || stored->bottom <= stored->top) return std::nullopt;
  for (const WindowRect& display : displays) {
    if (LiesInside(*stored, display)) return stored;
  }
  return std::nullopt;
}

bool StoreWindowPlacement(platform::ProfileFile& profile, const WindowRect& normal,
                          WindowShowState state) {
  if (state != WindowShowState::kNormal) return false;
  const auto section = platform::kWindowPosSection;
  profile.WriteInt(section, kLeft, normal.left);
  profile.WriteInt(section, kTop, normal.top);
  profile.WriteInt(section, kRight, normal.right);
  profile.WriteInt(section, kBottom, normal.bottom);
  return true;
}

}  // namespace zelvo
