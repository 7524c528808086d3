#include "info/LinkLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace info {
namespace {

// A link for assistive technology, with the one action of pressing it.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    // Named by the address it shows; the caption beside it is its label.
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        return static_cast<const QLabel*>(widget())->text();
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit static_cast<LinkLabel*>(widget())->clicked();
    }
};

QAccessibleInterface* linkFactory(const QString& className, QObject* object) {
    if (className != u"info::LinkLabel")
        return nullptr;
    return new LinkAccessible(static_cast<LinkLabel*>(object));
}

} // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    (void)installed;
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    useHighlightColour();
}

void LinkLabel::useHighlightColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Highlight));
    setPalette(colours);
}

void LinkLabel::underline(bool on) {
    QFont shown = font();
    shown.setUnderline(on);
    setFont(shown);
}

void LinkLabel::changeEvent(QEvent* event) {
    // Follow the desktop when its colours change.
    if (event->type() == QEvent::ApplicationPaletteChange)
        useHighlightColour();
    QLabel::changeEvent(event);
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
    underline(true);
    QLabel::focusInEvent(event);
}

void LinkLabel::focusOutEvent(QFocusEvent* event) {
    underline(false);
    QLabel::focusOutEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            emit clicked();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
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
