// Shows the Update/Setup dialog as its template builds it, without any logic: "Ok", "Cancel"
// and Escape close it. With --screenshot FILE it saves a PNG of the dialog and closes.

#include <string>

#include <wx/app.h>
#include <wx/cmdline.h>
#include <wx/dialog.h>

#include "platform/ui/setup_dialog_template.h"
#include "platform/ui/wx_dialog_window.h"
#include "platform/ui/wx_screenshot.h"

namespace {

using zelvo::platform::ui::kIdCancel;
using zelvo::platform::ui::SaveWindowScreenshot;
using zelvo::platform::ui::SetupDialogTemplate;
using zelvo::platform::ui::WxDialogWindow;

class PreviewApp : public wxApp {
 public:
  int OnRun() override {
    WxDialogWindow window(nullptr, SetupDialogTemplate());
    bool saved = false;
    if (!screenshot_.empty()) {
      window.wx_dialog()->CallAfter([this, &window, &saved] {
        // Let the window paint completely before the picture is taken.
        for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
        saved = SaveWindowScreenshot(window.wx_dialog(), screenshot_);
        window.EndDialog(kIdCancel);
      });
    }
    window.RunModal(nullptr);
    return screenshot_.empty() || saved ? 0 : 1;
  }

  void OnInitCmdLine(wxCmdLineParser& parser) override {
    wxApp::OnInitCmdLine(parser);
    parser.AddOption("", "screenshot", "save a PNG of the dialog to FILE and close it");
  }

  bool OnCmdLineParsed(wxCmdLineParser& parser) override {
    wxString path;
    if (parser.Found("screenshot", &path)) screenshot_ = path.utf8_string();
    return wxApp::OnCmdLineParsed(parser);
  }

 private:
  std::string screenshot_;
};

}  // namespace

wxIMPLEMENT_APP(PreviewApp);
