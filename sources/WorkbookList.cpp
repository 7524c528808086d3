#include "sources/WorkbookList.h"

#include "app/form1.h"

namespace sources {

void LoadWorkbookList(app::form1&, const QString&) {}
QString SelectedWorkbookPath(app::form1&) { return QString(); }
QString WorkbookPathAt(app::form1&, std::int32_t) { return QString(); }

} // namespace sources
