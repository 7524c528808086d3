#include "dialogs/QtSystemDialogs.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace dialogs {
namespace {

// Custom colours live for one dialog only: every dialog starts with them all black, and none
// is left behind for the next one (or for the toolkit to keep between runs).
void clearCustomColours() {
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::black));
}

double verticalDpi(const QWidget* owner) {
    if (owner)
        return owner->logicalDpiY();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

std::optional<QColor> QtSystemDialogs::pickColor(QWidget* owner, QColor initial, bool) {
    // The toolkit's dialog always shows its custom colours, so there is nothing to open fully.
    clearCustomColours();
    QColorDialog dialog(initial, owner);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const QColor chosen = dialog.selectedColor();
    clearCustomColours();
    if (!accepted || !chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<FontChoice> QtSystemDialogs::pickFont(QWidget* owner, const QFont& initial) {
    QFontDialog dialog(initial, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont chosen = dialog.selectedFont();
    FontChoice choice;
    choice.family = chosen.family();
    double points = chosen.pointSizeF();
    if (points <= 0 && chosen.pixelSize() > 0)
        points = chosen.pixelSize() * 72.0 / verticalDpi(owner);
    choice.pointSizeTenths = qMax(0, qRound(points * 10));
    choice.bold = chosen.bold();
    choice.italic = chosen.italic();
    return choice;
}

bool QtSystemDialogs::printDialog(QWidget* owner) {
    QPrinter printer;
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return dialog.exec() == QDialog::Accepted;
}

QString QtSystemDialogs::defaultPrinter() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    return printer.isNull() ? QString() : printer.printerName();
}

bool QtSystemDialogs::printerProperties(QWidget* owner, const QString& name) {
    // The page set-up of the named printer is the toolkit's sheet of printer properties.
    QPrinter printer;
    printer.setPrinterName(name);
    if (!printer.isValid())
        return false;
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace dialogs
