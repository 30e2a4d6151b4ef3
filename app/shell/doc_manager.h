#pragma once

#include <wx/docview.h>

namespace zelvo::shell {

// The document manager of the one single-document template: new documents are "Untitled", and
// the main window's title is the document's name, then " - zelvoGDB".
class CDocManager final : public wxDocManager {
 public:
  CDocManager() = default;

  wxString MakeNewDocumentName() override;
  wxString MakeFrameTitle(wxDocument* doc) override;
};

}  // namespace zelvo::shell
