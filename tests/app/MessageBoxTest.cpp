// The message boxes the window shows: the program's title, an OK button, and the text exactly as
// given, names with angle brackets included.

#include "app/QtServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Shown {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows one box and reads it while it is open, then confirms it.
Shown show(const QString& text, app::MessageIcon icon) {
    Shown shown;
    QTimer::singleShot(0, [&shown] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible())
                continue;
            shown = Shown{box->windowTitle(), box->text(), box->textFormat(), box->icon()};
            box->accept();
        }
    });
    app::QtMessageBoxes boxes;
    boxes.MsgBox(nullptr, text, icon);
    return shown;
}

TEST(MessageBoxes, TextIsShownAsItIsWritten) {
    const QString failure = QStringLiteral("Convert <b>Q1 file failed!");
    const Shown shown = show(failure, app::MessageIcon::Critical);
    EXPECT_EQ(shown.title, QStringLiteral("Quillmere"));
    EXPECT_EQ(shown.text, failure);
    EXPECT_EQ(shown.format, Qt::PlainText);
    EXPECT_EQ(shown.icon, QMessageBox::Critical);

    const Shown request =
        show(QStringLiteral("Please select output folder"), app::MessageIcon::Information);
    EXPECT_EQ(request.format, Qt::PlainText);
    EXPECT_EQ(request.icon, QMessageBox::Information);
}

} // namespace
