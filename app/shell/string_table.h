#pragma once

#include <string>

namespace zelvo {

// The shell's own texts: titles, prompts and messages.

// The main window's title; a document's name comes before it ("Untitled - zelvoGDB").
inline constexpr const char* kMainWindowTitle = "zelvoGDB";
// The name of a new document.
inline constexpr const char* kUntitled = "Untitled";
// The file dialogs' filter and the extension a name without one gets.
inline constexpr const char* kDocumentFileType = "zelvoGDB Setup";
inline constexpr const char* kDocumentFilter = "zelvoGDB Setup (*.gdb)|*.gdb";
inline constexpr const char* kDocumentExtension = ".gdb";

// The status bar's message pane when nothing else is shown there.
inline constexpr const char* kIdleStatusText = "For Help, press F1";

inline constexpr const char* kFailedToCreateDocument = "Failed to create empty document.";

// The title of the main window for a document titled `document_title`.
std::string MainWindowTitle(const std::string& document_title);

// "Save changes to %1?" with the document's title for %1.
std::string SaveChangesQuestion(const std::string& document_title);

// `path` with ".gdb" appended when its file name has no extension of its own.
std::string WithDocumentExtension(const std::string& path);

}  // namespace zelvo
