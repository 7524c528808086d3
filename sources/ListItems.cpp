#include "sources/ListItems.h"

#include <QTreeWidget>

namespace sources {

QTreeWidgetItem* SelectedItem(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

int SelectedPosition(const QTreeWidget* list) {
    QTreeWidgetItem* item = SelectedItem(list);
    return item ? list->indexOfTopLevelItem(item) + 1 : 0;
}

QTreeWidgetItem* NewCheckableItem(const QString& text, bool checked) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    // Not editable: the text is the name later passed on as a path or sheet name.
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
                   Qt::ItemNeverHasChildren);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

bool IsChecked(const QTreeWidgetItem* item) {
    return item->checkState(0) == Qt::Checked;
}

} // namespace sources
