#include "app/shell/blank_printout.h"

namespace zelvo::shell {

bool BlankPrintout::OnPrintPage(int page) {
  return page == 1;
}

bool BlankPrintout::HasPage(int page) {
  return page == 1;
}

void BlankPrintout::GetPageInfo(int* min_page, int* max_page, int* from_page, int* to_page) {
  *min_page = *max_page = *from_page = *to_page = 1;
}

}  // namespace zelvo::shell
