#pragma once

#include <cstddef>
#include <string>

#include "platform/dialog_feedback.h"

namespace zelvo::platform::ui {

// The ID of a control that nobody looks up (group boxes, labels).
inline constexpr int kNoControlId = -1;
// The two buttons that end a dialog, and the results they end it with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A control of a dialog window: what every window offers (text, enabled state, focus).
// Texts are single-byte strings.
class Control {
 public:
  virtual ~Control() = default;
  virtual int Id() const = 0;
  virtual void SetWindowText(const std::string& text) = 0;
  virtual std::string GetWindowText() const = 0;
  virtual void EnableWindow(bool enable) = 0;
  virtual bool IsWindowEnabled() const = 0;
  virtual void SetFocus() = 0;
};

// Group boxes have nothing beyond a control's text.
class GroupBox : public Control {};

// A push button; pressing it runs the command the dialog registered for its ID.
class PushButton : public Control {};

// A static text. It can serve as a StatusLine: a text set on it shows at once, also while the
// command that set it still runs.
class StaticText : public Control, public StatusLine {
 public:
  void SetText(const std::string& text) final { SetWindowText(text); }
};

// A single-line edit box. The limit applies to what the user types only: a longer text set by
// the program stays whole, and the user can still delete from it.
class EditBox : public Control {
 public:
  // 0 means no limit.
  virtual void SetLimitText(size_t max_chars) = 0;
  virtual size_t GetLimitText() const = 0;
};

// A drop-down list from which the user can only pick an entry; its text is the selected entry.
class DropDownList : public Control {
 public:
  // Appends an entry and returns its index.
  virtual int AddString(const std::string& entry) = 0;
  virtual int GetCount() const = 0;
  virtual std::string GetLBText(int index) const = 0;
  // The selected entry's index, -1 when none is selected.
  virtual int GetCurSel() const = 0;
  // Selects the entry `index`; an index that names no entry leaves none selected. Returns
  // whether an entry is selected afterwards.
  virtual bool SetCurSel(int index) = 0;
};

}  // namespace zelvo::platform::ui
