#pragma once

#include <functional>
#include <memory>

#include "platform/dialog_feedback.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"

namespace zelvo::platform::ui {

// What RunModal returns when the window could not run or was left without EndDialog.
inline constexpr int kDialogFailed = -1;

// A dialog window built from a template: the dialog's logic finds its controls by ID, registers
// a handler per button, runs the window modally and ends it with a result (kIdOk, kIdCancel).
//
// As the dialog's DialogFeedback, its status line is the template's status control, its message
// boxes are owned by the window, and its wait cursor counts levels.
//
// Input: while a command handler runs the window takes no input (a press meanwhile is dropped),
// but it keeps painting and every status text shows at once. A button without a handler does
// nothing, except kIdOk and kIdCancel, which end the dialog with their ID. The Enter key presses
// the default button, the Escape key presses kIdCancel. An exception that escapes a handler is
// reported in a message box; the wait-cursor levels it left open are ended and the window stays
// open.
class DialogWindow : public DialogFeedback {
 public:
  using CommandHandler = std::function<void()>;

  // The control with `id`, or nullptr when there is none (or it is of another kind).
  virtual Control* FindControl(int id) = 0;
  PushButton* FindButton(int id);
  StaticText* FindStatic(int id);
  EditBox* FindEdit(int id);
  DropDownList* FindList(int id);

  // Registers (or, with an empty handler, removes) the command of the button `id`.
  virtual void SetCommandHandler(int id, CommandHandler handler) = 0;

  // Runs the window modally: `on_init` runs once the controls exist (with the lists' init
  // entries added) and before the window shows; afterwards the first tab stop has the focus.
  // Returns the result given to EndDialog.
  virtual int RunModal(const std::function<void()>& on_init) = 0;
  // Ends the modal run with `result` once the current handler returns.
  virtual void EndDialog(int result) = 0;

  // How many wait-cursor levels are open (0: the normal cursor).
  virtual int WaitCursorLevel() const = 0;
};

// Makes dialog windows from templates: the backend's choice is made once, where the
// application starts.
class DialogFactory {
 public:
  virtual ~DialogFactory() = default;
  virtual std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialog) = 0;
};

}  // namespace zelvo::platform::ui
