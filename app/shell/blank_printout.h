#pragma once

#include <wx/print.h>

namespace zelvo::shell {

// What File Print prints: one page with nothing on it.
class BlankPrintout final : public wxPrintout {
 public:
  explicit BlankPrintout(const wxString& title) : wxPrintout(title) {}

  bool OnPrintPage(int page) override;
  bool HasPage(int page) override;
  void GetPageInfo(int* min_page, int* max_page, int* from_page, int* to_page) override;
};

}  // namespace zelvo::shell
