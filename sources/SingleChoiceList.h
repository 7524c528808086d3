#pragma once
// A list whose selected item is a choice that the user can change but not take back: a click on
// the blank area below the items, or a Ctrl+click or Ctrl+Space on the selected item, leaves
// the selection as it was. The lists below a list follow its selection, so a list left without
// one would keep showing what belonged to an item no longer selected.

#include <QTreeWidget>

namespace sources {

class SingleChoiceList : public QTreeWidget {
public:
    explicit SingleChoiceList(QWidget* parent);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

} // namespace sources
