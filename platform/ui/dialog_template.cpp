#include "platform/ui/dialog_template.h"

namespace zelvo::platform::ui {

const ControlTemplate* DialogTemplate::Find(int id) const {
  if (id == kNoControlId) return nullptr;
  for (const ControlTemplate& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

}  // namespace zelvo::platform::ui
