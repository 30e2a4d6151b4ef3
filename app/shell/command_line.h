#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

// The program takes one thing on its command line: the document to open. There are no options.

// The text after the program's name, as one line: the arguments joined by single blanks (so a
// path with blanks opens whether the shell split it or not).
std::string CommandLineTail(int argc, const char* const* argv);

// The document that the text after the program's name names: the blanks before it are skipped,
// a leading double quote is dropped and the text is cut at its last double quote
// ("\"/home/me/my box.gdb\"" names /home/me/my box.gdb). nullopt when nothing is left, so an
// empty name never stands for a document.
std::optional<std::string> DocumentPathFromCommandLine(std::string_view tail);

}  // namespace zelvo
