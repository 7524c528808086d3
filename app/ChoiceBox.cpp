#include "app/ChoiceBox.h"

#include <QAbstractItemView>
#include <QScrollBar>

namespace app {

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent) {
    // The box itself keeps its width, so its tooltip shows the current choice whole.
    connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
}

int ChoiceBox::popupWidthNeeded() const {
    const QAbstractItemView* list = view();
    int widest = list->sizeHintForColumn(modelColumn());
    if (count() > maxVisibleItems())
        widest += list->verticalScrollBar()->sizeHint().width();
    return widest + 2 * list->frameWidth() + 8;
}

void ChoiceBox::showPopup() {
    // The popup is never narrower than the box itself.
    view()->setMinimumWidth(std::max(width(), popupWidthNeeded()));
    QComboBox::showPopup();
}

} // namespace app
