#include "app/shell/doc_manager.h"

#include "app/shell/string_table.h"

namespace zelvo::shell {

wxString CDocManager::MakeNewDocumentName() {
  return kUntitled;
}

wxString CDocManager::MakeFrameTitle(wxDocument* doc) {
  const wxString name = doc != nullptr ? doc->GetUserReadableName() : wxString();
  return wxString::FromUTF8(MainWindowTitle(name.utf8_string()));
}

}  // namespace zelvo::shell
