#pragma once
// The workbook list: the workbooks of the selected source entry, and their full paths.

#include "sources/WorkbookListing.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace app {
class form1;
}

namespace sources {

// Refills ListView2 from a source path (a workbook file or a folder), every item checked;
// clears SheetTable first. Never reports anything.
void LoadWorkbookList(app::form1& form, const QString& sourcePath);

// The full path of the workbook selected in ListView2, or "" when there is none or it is gone.
QString SelectedWorkbookPath(app::form1& form);

// The full path of the workbook at `position` (1-based) of ListView2, or "".
QString WorkbookPathAt(app::form1& form, std::int32_t position);

} // namespace sources
