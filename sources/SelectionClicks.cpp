#include "sources/SelectionClicks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QTreeWidget>

namespace sources {
namespace {

class SelectionClickFilter : public QObject {
public:
    SelectionClickFilter(QTreeWidget* list, std::function<void()> click)
        : QObject(list), list_(list), click_(std::move(click)) {
        connect(list, &QTreeWidget::itemClicked, this, [this] { clicked_ = true; });
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (forwarding_)
            return false;
        const bool key = target == list_ && event->type() == QEvent::KeyPress;
        const bool viewport = target == list_->viewport();
        if (viewport && event->type() == QEvent::MouseButtonPress)
            selectedAtPress_ = selected();
        if (!key && !(viewport && event->type() == QEvent::MouseButtonRelease))
            return false;

        const QPersistentModelIndex before = key ? selected() : selectedAtPress_;
        // The list handles the event first, so the selection it leaves can be compared; it
        // also passes on what it ignores, so the event is done with here.
        clicked_ = false;
        forwarding_ = true;
        QCoreApplication::sendEvent(target, event);
        forwarding_ = false;
        event->accept();
        const QPersistentModelIndex after = selected();
        if (after.isValid() && after != before && !clicked_)
            click_();
        return true;
    }

private:
    QPersistentModelIndex selected() const {
        const QModelIndexList indexes = list_->selectionModel()->selectedIndexes();
        return indexes.isEmpty() ? QPersistentModelIndex() : QPersistentModelIndex(indexes.first());
    }

    QTreeWidget* list_;
    std::function<void()> click_;
    QPersistentModelIndex selectedAtPress_;
    bool forwarding_ = false; // the event is on its way to the list through this filter
    bool clicked_ = false;    // the list reported a click of its own while handling the event
};

} // namespace

void ReportSelectionChangesAsClicks(QTreeWidget* list, std::function<void()> click) {
    auto* filter = new SelectionClickFilter(list, std::move(click));
    list->installEventFilter(filter);
    list->viewport()->installEventFilter(filter);
}

} // namespace sources
