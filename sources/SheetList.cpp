#include "sources/SheetList.h"

#include "app/form1.h"

namespace sources {

void ShowSheetsOfSelectedWorkbook(app::form1&) {}
void StoreSheetChecks(app::form1&) {}

} // namespace app

namespace app {

void form1::ListView1_ItemClick() {}
void form1::ListView2_ItemClick() {}

} // namespace app
