#pragma once
// A label that acts as a link: drawn in the highlight colour, with a pointing hand over it,
// and reporting a click (press and release of the left button over it).

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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void useHighlightColour();

    bool pressed_ = false;
};

} // namespace info
