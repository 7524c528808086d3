#pragma once
// A label that acts as a link: drawn in the highlight colour, with a pointing hand over it,
// reporting a click (press and release of the left button over it). It takes the keyboard
// focus with Tab, shows it by an underline, and Return, Enter or Space follow it; assistive
// technology sees a link that can be pressed.

#include <QLabel>

namespace info {

class LinkLabel : public QLabel {
    Q_OBJECT

public:
    LinkLabel(const QString& text, QWidget* parent);

signals:
    void clicked();

protected:
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void useHighlightColour();
    void underline(bool on);

    bool pressed_ = false;
};

} // namespace info
