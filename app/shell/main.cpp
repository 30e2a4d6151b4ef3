// zelvogdb-setup: the desktop program.
#include <wx/app.h>

#include "app/shell/zelvohs_app.h"

wxIMPLEMENT_APP(zelvo::shell::CZelvohsApp);
