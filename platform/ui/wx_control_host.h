#pragma once

namespace zelvo::platform::ui {

// What a wx control asks of the window it sits in.
class WxControlHost {
 public:
  virtual ~WxControlHost() = default;
  // Shows a changed text at once, also in the middle of a command.
  virtual void ShowNow() = 0;
};

}  // namespace zelvo::platform::ui
