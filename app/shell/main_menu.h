#pragma once

#include <string>
#include <vector>

#include <wx/accel.h>

class wxMenu;
class wxMenuBar;

namespace zelvo::shell {

// The main window's menu bar: File, Setup, View and Help. Each item's status-bar prompt is its
// help string.
wxMenuBar* CreateMainMenuBar();

// Where in the File menu the recent files stand (after "Save As..." and a separator).
inline constexpr size_t kRecentFilesPosition = 5;

// Puts `files` (newest first) into the File menu as "&1 ..." to "&4 ...", replacing what stood
// there; with no files the greyed placeholder "Recent File" stands there.
void SetRecentFileItems(wxMenu& file_menu, const std::vector<std::string>& files);

// The keys of the accelerator table and the commands they give.
std::vector<wxAcceleratorEntry> MainAcceleratorEntries();

// The status-bar prompt of a command; empty when it has none.
std::string CommandPrompt(int command_id);

}  // namespace zelvo::shell
