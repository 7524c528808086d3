#include "info/LinkLabel.h"

#include <QEvent>
#include <QMouseEvent>

namespace info {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    useHighlightColour();
}

void LinkLabel::useHighlightColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Highlight));
    setPalette(colours);
}

void LinkLabel::changeEvent(QEvent* event) {
    // Follow the desktop when its colours change.
    if (event->type() == QEvent::ApplicationPaletteChange)
        useHighlightColour();
    QLabel::changeEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace info
