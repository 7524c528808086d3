#pragma once
// The sheet list and the sheet table: the worksheets of the selected workbook, with the check
// marks remembered per workbook.

namespace app {
class form1;
}

namespace sources {

// Refills ListView3 for the workbook selected in ListView2, from SheetTable or from the
// workbook through the spreadsheet host. Reports its own failures and returns normally.
void ShowSheetsOfSelectedWorkbook(app::form1& form);

// Saves the sheet list on screen into SheetTable's column CurrentWorkbookIndex.
// Throws automation::Error when a table bound is exceeded.
void StoreSheetChecks(app::form1& form);

} // namespace sources
