#include "sources/CheckBoxClicks.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace sources {
namespace {

// Lays out an item the way the list's default delegate paints it.
class LayoutDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::initStyleOption;
};

class CheckBoxClickFilter : public QObject {
public:
    explicit CheckBoxClickFilter(QTreeWidget* list) : QObject(list), list_(list) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            QTreeWidgetItem* item = list_->itemAt(mouse->position().toPoint());
            if (item == nullptr || !CheckBoxRect(list_, item).contains(mouse->position().toPoint()))
                return false;
            // A double click arrives as a press followed by this event: the press has already
            // changed the mark.
            if (event->type() == QEvent::MouseButtonPress)
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked
                                                                          : Qt::Checked);
            swallowing_ = true;
            return true;
        }
        case QEvent::MouseMove:
            return swallowing_;
        case QEvent::MouseButtonRelease:
            if (!swallowing_)
                return false;
            swallowing_ = false;
            return true;
        default:
            return false;
        }
    }

private:
    QTreeWidget* list_;
    bool swallowing_ = false; // the rest of a press that changed a mark
};

} // namespace

void KeepCheckBoxClicksApart(QTreeWidget* list) {
    list->viewport()->installEventFilter(new CheckBoxClickFilter(list));
}

QRect CheckBoxRect(const QTreeWidget* list, const QTreeWidgetItem* item) {
    if (item == nullptr || !(item->flags() & Qt::ItemIsUserCheckable) ||
        !(item->flags() & Qt::ItemIsEnabled) || !list->isEnabled())
        return QRect();
    if (item->parent() != nullptr)
        return QRect(); // the lists are flat
    const QModelIndex index =
        list->model()->index(list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)), 0);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(item);
    option.widget = list;
    LayoutDelegate layout;
    layout.initStyleOption(&option, index);
    if (!(option.features & QStyleOptionViewItem::HasCheckIndicator))
        return QRect();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
}

} // namespace sources
