#pragma once

#include "platform/dialog_feedback.h"

namespace zelvo::platform::ui {

// The wxMessageDialog style for a message box: OK or Yes/No (Yes the default), the exclamation
// icon or none at all (not the platform's default information icon).
long WxMessageBoxStyle(MessageIcon icon, MessageButtons buttons);

// The answer for what wxMessageDialog::ShowModal returned: a Yes/No box closed otherwise than by
// Yes counts as No.
MessageAnswer AnswerFromWxResult(int wx_result, MessageButtons buttons);

}  // namespace zelvo::platform::ui
