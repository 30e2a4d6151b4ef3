#pragma once

#include <cstddef>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialog_window.h"

namespace zelvo::platform::ui {

enum class ExchangeDirection {
  kToControls,    // the values are written into the controls
  kFromControls,  // the values are taken from the controls and checked
};

// One data exchange between a dialog's values and its controls: a sequence of steps, each
// between one value and one control. A step that fails (a check, or a control the window does
// not have) ends the exchange there: every later step does nothing, so the values after the
// failing one keep their previous contents.
class DataExchange {
 public:
  DataExchange(DialogWindow& window, ExchangeDirection direction)
      : window_(window), direction_(direction) {}

  ExchangeDirection direction() const { return direction_; }
  bool from_controls() const { return direction_ == ExchangeDirection::kFromControls; }
  bool failed() const { return failed_; }
  DialogWindow& window() const { return window_; }

  // Binds `member` to the control `id` the first time only: while `member` is set, the step does
  // nothing. Fails when the window has no control of that kind with that ID.
  template <class ControlType>
  void BindControl(int id, ControlType*& member) {
    if (failed_ || member != nullptr) return;
    member = dynamic_cast<ControlType*>(window_.FindControl(id));
    if (member == nullptr) failed_ = true;
  }

  // The selection of the list `id`: towards the list, selects entry `index` (none when no entry
  // has that index); from the list, `index` becomes the selected entry's index, -1 for none.
  void CBIndex(int id, int& index);

  // The whole text of the control `id`.
  void Text(int id, std::string& value);

  // A limit on the text of the Text step just before: towards an edit box, the user can type at
  // most `max_chars` characters; from the controls, a longer text fails the exchange with the
  // message "Please enter no more than <max_chars> characters.". Without a Text step before it,
  // the step does nothing.
  void MaxChars(size_t max_chars);

  // Fails the exchange (after the caller has shown why). Taking values, the focus returns to the
  // edit box of the last step, when it was one.
  void Fail();

 private:
  DialogWindow& window_;
  ExchangeDirection direction_;
  bool failed_ = false;
  Control* last_control_ = nullptr;
  const std::string* last_text_ = nullptr;
};

}  // namespace zelvo::platform::ui
