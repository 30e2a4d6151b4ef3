#pragma once

#include <optional>
#include <vector>

#include "platform/profile_file.h"

namespace zelvo {

// A rectangle in screen pixels by its edges; right and bottom lie just outside it, so the width
// is right - left.
struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const WindowRect&) const = default;
};

// The "leftPos" that means no placement is stored.
inline constexpr int kNoWindowPos = 65535;

enum class WindowShowState { kNormal, kMaximized, kMinimized };

// The main window's stored placement (section "WindowPos", keys "leftPos", "topPos", "rightPos",
// "bottomPos"): nullopt when "leftPos" is missing or 65535; the other keys read 0 when missing.
std::optional<WindowRect> StoredWindowPlacement(const platform::ProfileFile& profile);

// Whether `rect` lies wholly inside `area` (its edges may touch the area's).
bool LiesInside(const WindowRect& rect, const WindowRect& area);

// The stored placement, when there is one and it lies wholly inside the usable area of one of the
// displays; nullopt otherwise, and the window then takes its default place.
std::optional<WindowRect> PlacementToRestore(const platform::ProfileFile& profile,
                                             const std::vector<WindowRect>& displays);

// What closing the main window stores: its normal rectangle, but only in the normal show state
// (a maximised or minimised window leaves the stored placement as it was). True when written.
bool StoreWindowPlacement(platform::ProfileFile& profile, const WindowRect& normal,
                          WindowShowState state);

}  // namespace zelvo
