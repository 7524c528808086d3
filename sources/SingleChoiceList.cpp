#include "sources/SingleChoiceList.h"

namespace sources {

SingleChoiceList::SingleChoiceList(QWidget* parent) : QTreeWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags SingleChoiceList::selectionCommand(const QModelIndex& index,
                                                                       const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeWidget::selectionCommand(index, event);
    // Only a selection of an item goes through; a press on the blank area and a toggle or
    // deselection of the selected item leave it as it is. Code that clears the list or the
    // selection is not affected.
    if (!index.isValid() || !command.testFlag(QItemSelectionModel::Select))
        return QItemSelectionModel::NoUpdate;
    return command;
}

} // namespace sources
