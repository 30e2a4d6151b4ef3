#pragma once

#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace zelvo::platform::ui {

// A rectangle in dialog units: horizontal units are a quarter of the dialog font's average
// character width, vertical units an eighth of its height.
struct DialogUnits {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind {
  kGroupBox,
  kStatic,
  kPushButton,
  kDefaultPushButton,  // the button the Enter key presses
  kEditBox,            // single line, with a border, scrolling horizontally as the user types
  kDropDownList,       // pick-only, unsorted, with a vertical scroll bar; the height is the
                       // opened list's
};

enum class TextAlign { kLeft, kCenter, kRight };

// One control of a dialog template.
struct ControlTemplate {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStatic;
  std::string text;  // the initial text; empty for edit boxes and lists
  DialogUnits rect;
  TextAlign align = TextAlign::kLeft;  // statics only
  bool tab_stop = false;
  std::vector<std::string> init_entries;  // lists only: added in this order when created
};

// A dialog template: the window and its controls in template order, which is also the tab
// order.
struct DialogTemplate {
  int resource_id = 0;
  std::string title;
  std::string font_face;
  int font_points = 8;
  DialogUnits rect;          // position relative to the owner, and size
  bool system_menu = false;  // a close box in the caption
  // The control whose text is the dialog's StatusLine; kNoControlId when there is none.
  int status_line_id = kNoControlId;
  std::vector<ControlTemplate> controls;

  // The control with `id`, or nullptr (never for kNoControlId).
  const ControlTemplate* Find(int id) const;
};

}  // namespace zelvo::platform::ui
