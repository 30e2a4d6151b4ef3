#pragma once

#include <optional>
#include <string>

class wxWindow;

namespace zelvo::shell {

enum class SaveChangesAnswer { kYes, kNo, kCancel };

// What the main window asks the user and tells them: the file dialogs and its message boxes
// (the Update/Setup dialog has its own). The application uses WxShellPrompts; tests script the
// answers.
class ShellPrompts {
 public:
  virtual ~ShellPrompts() = default;
  // The document to open, or nullopt when the user cancels.
  virtual std::optional<std::string> AskOpenPath(wxWindow* owner) = 0;
  // Where to save, starting from `suggested_name`; nullopt when the user cancels. A name
  // without an extension gets ".gdb".
  virtual std::optional<std::string> AskSavePath(wxWindow* owner,
                                                 const std::string& suggested_name) = 0;
  // `question` ("Save changes to Untitled?") with Yes, No and Cancel.
  virtual SaveChangesAnswer AskSaveChanges(wxWindow* owner, const std::string& question) = 0;
  // A message box with an OK button and the application title as caption.
  virtual void ShowMessage(wxWindow* owner, const std::string& text) = 0;
};

// The toolkit's file dialogs (filter "zelvoGDB Setup (*.gdb)") and message boxes.
class WxShellPrompts final : public ShellPrompts {
 public:
  std::optional<std::string> AskOpenPath(wxWindow* owner) override;
  std::optional<std::string> AskSavePath(wxWindow* owner,
                                         const std::string& suggested_name) override;
  SaveChangesAnswer AskSaveChanges(wxWindow* owner, const std::string& question) override;
  void ShowMessage(wxWindow* owner, const std::string& text) override;
};

}  // namespace zelvo::shell
