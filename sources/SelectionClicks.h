#pragma once
// Selections a list takes without a click on one item: the arrow keys, typing a name, or a
// press on one item dragged to another. The list control the program was designed around
// reports those as clicks on the newly selected item, and the lists below a list follow its
// selection only through its click handler.

#include <functional>

class QTreeWidget;

namespace sources {

// Calls `click` after a key press or a mouse release that left `list` with another selected
// item and raised no itemClicked of its own; a selection made from code calls nothing.
void ReportSelectionChangesAsClicks(QTreeWidget* list, std::function<void()> click);

} // namespace sources
