#pragma once

namespace zelvo {

// The commands of the menu, the accelerator table and the toolbar, and the bars' window IDs.
//
// Each command keeps its number of the box's Windows tools (Setup 32778 = 0x800A, File New 57600
// = 0xE100, ...); the toolkit takes IDs below 0x8000 only, so the IDs here are those numbers less
// 0x8000. They stay clear of the toolkit's own IDs (4999 to 5999).
namespace command {
inline constexpr int kCommandBase = 0x8000;
inline constexpr int kFileNew = 57600 - kCommandBase;
inline constexpr int kFileOpen = 57601 - kCommandBase;
inline constexpr int kFileSave = 57603 - kCommandBase;
inline constexpr int kFileSaveAs = 57604 - kCommandBase;
inline constexpr int kFilePrintSetup = 57606 - kCommandBase;
inline constexpr int kFilePrint = 57607 - kCommandBase;
// The recent files: the first entry, and the placeholder "Recent File" while the list is empty.
inline constexpr int kFileRecent1 = 57616 - kCommandBase;
inline constexpr int kEditCopy = 57634 - kCommandBase;
inline constexpr int kEditCut = 57635 - kCommandBase;
inline constexpr int kEditPaste = 57637 - kCommandBase;
inline constexpr int kEditUndo = 57643 - kCommandBase;
inline constexpr int kAppAbout = 57664 - kCommandBase;
inline constexpr int kAppExit = 57665 - kCommandBase;
inline constexpr int kHelpIndex = 57666 - kCommandBase;
inline constexpr int kHelpUsing = 57668 - kCommandBase;
inline constexpr int kContextHelp = 57669 - kCommandBase;
inline constexpr int kHelp = 57670 - kCommandBase;
inline constexpr int kDefaultHelp = 57671 - kCommandBase;
inline constexpr int kNextPane = 57680 - kCommandBase;
inline constexpr int kPrevPane = 57681 - kCommandBase;
// The document's Setup command: the Update/Setup dialog.
inline constexpr int kSetup = 32778 - kCommandBase;
// The View menu's items, equal to the IDs of the bars they show and hide.
inline constexpr int kViewToolbar = 59392 - kCommandBase;
inline constexpr int kViewStatusBar = 59393 - kCommandBase;
}  // namespace command

}  // namespace zelvo
