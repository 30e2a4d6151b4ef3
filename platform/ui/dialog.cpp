#include "platform/ui/dialog.h"

#include <utility>

namespace zelvo::platform::ui {

int Dialog::DoModal() {
  window_.SetCommandHandler(kIdOk, [this] { OnOK(); });
  window_.SetCommandHandler(kIdCancel, [this] { OnCancel(); });
  return window_.RunModal([this] { OnInitDialog(); });
}

bool Dialog::UpdateData(bool save_and_validate) {
  DataExchange dx(window_, save_and_validate ? ExchangeDirection::kFromControls
                                             : ExchangeDirection::kToControls);
  DoDataExchange(dx);
  return !dx.failed();
}

void Dialog::OnCommand(int id, DialogWindow::CommandHandler handler) {
  window_.SetCommandHandler(id, std::move(handler));
}

void Dialog::OnInitDialog() {
  UpdateData(false);
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(kIdOk);
}

void Dialog::OnCancel() {
  EndDialog(kIdCancel);
}

}  // namespace zelvo::platform::ui
