#pragma once

#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog_window.h"

namespace zelvo::platform::ui {

// The base of a modal dialog's logic, over a DialogWindow made from its template. A derived
// dialog puts its steps in DoDataExchange, its initialisation in OnInitDialog and registers its
// buttons' commands with OnCommand; OK and Cancel come to OnOK and OnCancel (Cancel also by the
// Escape key).
class Dialog {
 public:
  explicit Dialog(DialogWindow& window) : window_(window) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the window modally with OnInitDialog as its initialisation; returns the result the
  // dialog ended with (kIdOk, kIdCancel) or kDialogFailed.
  int DoModal();

  // The data exchange: from the controls with the checks (`save_and_validate`), or towards them.
  // False when a step failed; the steps before it have taken effect.
  bool UpdateData(bool save_and_validate = true);

  void EndDialog(int result) { window_.EndDialog(result); }
  DialogWindow& window() const { return window_; }

 protected:
  // Registers the command of the button `id`.
  void OnCommand(int id, DialogWindow::CommandHandler handler);

  virtual void DoDataExchange(DataExchange& /*dx*/) {}
  // Runs the exchange towards the controls.
  virtual void OnInitDialog();
  // Takes the values; when that succeeds, ends the dialog with kIdOk.
  virtual void OnOK();
  // Ends the dialog with kIdCancel.
  virtual void OnCancel();

 private:
  DialogWindow& window_;
};

}  // namespace zelvo::platform::ui
