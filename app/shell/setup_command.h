#pragma once

#include "app/settings_document.h"

class wxWindow;

namespace zelvo::shell {

// Runs the Update/Setup dialog modally, owned by `owner`, with `values` filled in. After OK the
// dialog's seven values are copied back into `values` and the result is true; after Cancel
// `values` stay as they were.
bool RunSetupDialog(wxWindow* owner, SetupValues& values);

}  // namespace zelvo::shell
