#pragma once
// Small helpers over the window's list views: the selected item, and checkable items.

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace sources {

// The list's single selected item, or nullptr when nothing is selected.
QTreeWidgetItem* SelectedItem(const QTreeWidget* list);

// The 1-based position of the selected item, or 0 when nothing is selected.
int SelectedPosition(const QTreeWidget* list);

// A new item with a check box, checked or cleared; the caller owns it until it is added.
QTreeWidgetItem* NewCheckableItem(const QString& text, bool checked);

// Whether the item's check box is marked.
bool IsChecked(const QTreeWidgetItem* item);

} // namespace sources
