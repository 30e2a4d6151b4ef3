#include "platform/ui/dialog_window.h"

namespace zelvo::platform::ui {

PushButton* DialogWindow::FindButton(int id) {
  return dynamic_cast<PushButton*>(FindControl(id));
}

StaticText* DialogWindow::FindStatic(int id) {
  return dynamic_cast<StaticText*>(FindControl(id));
}

EditBox* DialogWindow::FindEdit(int id) {
  return dynamic_cast<EditBox*>(FindControl(id));
}

DropDownList* DialogWindow::FindList(int id) {
  return dynamic_cast<DropDownList*>(FindControl(id));
}

}  // namespace zelvo::platform::ui
