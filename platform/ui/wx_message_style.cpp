#include "platform/ui/wx_message_style.h"

#include <wx/defs.h>

namespace zelvo::platform::ui {

long WxMessageBoxStyle(MessageIcon icon, MessageButtons buttons) {
  long style = buttons == MessageButtons::kYesNo ? (wxYES_NO | wxYES_DEFAULT) : wxOK;
  style |= icon == MessageIcon::kExclamation ? wxICON_EXCLAMATION : wxICON_NONE;
  return style | wxCENTRE;
}

MessageAnswer AnswerFromWxResult(int wx_result, MessageButtons buttons) {
  if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  return wx_result == wxID_YES ? MessageAnswer::kYes : MessageAnswer::kNo;
}

}  // namespace zelvo::platform::ui
