#pragma once
// Clicks on the check boxes of a list with check marks: a click on an item's check box changes
// the mark only, as in the list control the program was designed around. It neither selects the
// item nor counts as a click on it, so ItemClick handlers only see clicks on the items
// themselves.

#include <QRect>

class QTreeWidget;
class QTreeWidgetItem;

namespace sources {

// Installs the behaviour on `list` for the list's lifetime.
void KeepCheckBoxClicksApart(QTreeWidget* list);

// Where the check box of `item` is drawn, in viewport coordinates; empty when it has none.
QRect CheckBoxRect(const QTreeWidget* list, const QTreeWidgetItem* item);

} // namespace sources
