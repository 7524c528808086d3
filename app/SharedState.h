#pragma once
// The process-wide state the window's handlers and the conversion share, under its own names.

#include "app/SheetTable.h"

#include <cstdint>
#include <string>

namespace app {

struct SharedState {
    app::SheetTable SheetTable;            // sheet names and check marks per workbook
    std::int32_t CurrentWorkbookIndex = 0; // workbook whose sheets the sheet list shows
    bool WorkbookListFresh = false;        // false only while a workbook-list click is handled
    std::string OutputFolder;              // output directory of the run, ending in "/"
    std::string WorkbookOutputFolder;      // output folder (or path stem) of one workbook
    std::int32_t FileSequenceNumber = 0;   // last number of the sequence naming mode
};

} // namespace app
