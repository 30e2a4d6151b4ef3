#include "app/shell/main_menu.h"

#include <wx/menu.h>

#include "app/shell/command_ids.h"
#include "app/shell/recent_file_list.h"
#include "app/shell/wx_shell_text.h"

namespace zelvo::shell {
namespace {

wxMenuItem* Append(wxMenu* menu, int id, const char* label, wxItemKind kind = wxITEM_NORMAL) {
  return menu->Append(id, wxString::FromUTF8(label), wxString::FromUTF8(CommandPrompt(id)), kind);
}

}  // namespace

std::string CommandPrompt(int command_id) {
  switch (command_id) {
    case command::kFileNew:
      return "Create a new document";
    case command::kFileOpen:
      return "Open an existing document";
    case command::kFileSave:
      return "Save the active document";
    case command::kFileSaveAs:
      return "Save the active document with a new name";
    case command::kFilePrint:
      return "Print the active document";
    case command::kAppExit:
      return "Quit the application; prompts to save documents";
    case command::kSetup:
      return "Update ZELVO firmware and store configuration";
    case command::kViewToolbar:
      return "Show or hide the toolbar";
    case command::kViewStatusBar:
      return "Show or hide the status bar";
    case command::kHelpIndex:
      return "List Help topics";
    case command::kHelpUsing:
      return "Display instructions about how to use help";
    case command::kAppAbout:
      return "Display program information, version number and copyright";
    case command::kContextHelp:
      return "Display help for clicked on buttons, menus and windows";
    default:
      if (command_id >= command::kFileRecent1 && command_id < command::kFileRecent1 + 4) {
        return "Open this document";
      }
      return {};
  }
}

wxMenuBar* CreateMainMenuBar() {
  auto* file = new wxMenu;
  Append(file, command::kFileNew, "&New\tCtrl+N");
  Append(file, command::kFileOpen, "&Open...\tCtrl+O");
  Append(file, command::kFileSave, "&Save\tCtrl+S");
  Append(file, command::kFileSaveAs, "Save &As...");
  file->AppendSeparator();
  SetRecentFileItems(*file, {});
  file->AppendSeparator();
  Append(file, command::kAppExit, "E&xit");

  auto* setup = new wxMenu;
  Append(setup, command::kSetup, "ZELVO9...");

  auto* view = new wxMenu;
  Append(view, command::kViewToolbar, "&Toolbar", wxITEM_CHECK);
  Append(view, command::kViewStatusBar, "&Status Bar", wxITEM_CHECK);

  auto* help = new wxMenu;
  Append(help, command::kHelpIndex, "&Index");
  Append(help, command::kHelpUsing, "&Using Help");
  help->AppendSeparator();
  Append(help, command::kAppAbout, "&About ...");

  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  bar->Append(setup, "&Setup");
  bar->Append(view, "&View");
  bar->Append(help, "&Help");
  return bar;
}

void SetRecentFileItems(wxMenu& file_menu, const std::vector<std::string>& files) {
  for (int id = command::kFileRecent1; id < command::kFileRecent1 + 4; ++id) {
    while (file_menu.FindItem(id) != nullptr) file_menu.Destroy(id);
  }
  if (files.empty()) {
    wxMenuItem* placeholder =
        file_menu.Insert(kRecentFilesPosition, command::kFileRecent1, "Recent File");
    placeholder->Enable(false);
    return;
  }
  for (size_t i = 0; i < files.size() && i < 4; ++i) {
    const int id = command::kFileRecent1 + static_cast<int>(i);
    file_menu.Insert(kRecentFilesPosition + i, id, PathToWx(RecentFileList::MenuLabel(i, files[i])),
                     wxString::FromUTF8(CommandPrompt(id)));
  }
}

std::vector<wxAcceleratorEntry> MainAcceleratorEntries() {
  return {
      {wxACCEL_CTRL, 'N', command::kFileNew},
      {wxACCEL_CTRL, 'O', command::kFileOpen},
      {wxACCEL_CTRL, 'S', command::kFileSave},
      {wxACCEL_CTRL, 'P', command::kFilePrint},
      {wxACCEL_CTRL, 'Z', command::kEditUndo},
      {wxACCEL_ALT, WXK_BACK, command::kEditUndo},
      {wxACCEL_CTRL, 'X', command::kEditCut},
      {wxACCEL_SHIFT, WXK_DELETE, command::kEditCut},
      {wxACCEL_CTRL, 'C', command::kEditCopy},
      {wxACCEL_CTRL, WXK_INSERT, command::kEditCopy},
      {wxACCEL_CTRL, 'V', command::kEditPaste},
      {wxACCEL_SHIFT, WXK_INSERT, command::kEditPaste},
      {wxACCEL_NORMAL, WXK_F6, command::kNextPane},
      {wxACCEL_SHIFT, WXK_F6, command::kPrevPane},
      {wxACCEL_SHIFT, WXK_F1, command::kContextHelp},
      {wxACCEL_NORMAL, WXK_F1, command::kHelp},
  };
}

}  // namespace zelvo::shell
