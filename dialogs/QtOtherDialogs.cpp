#include "dialogs/QtSystemDialogs.h"

namespace dialogs {

std::optional<QColor> QtSystemDialogs::pickColor(QWidget*, QColor, bool) { return std::nullopt; }
std::optional<FontChoice> QtSystemDialogs::pickFont(QWidget*, const QFont&) { return std::nullopt; }
bool QtSystemDialogs::printDialog(QWidget*) { return false; }
QString QtSystemDialogs::defaultPrinter() { return QString(); }
bool QtSystemDialogs::printerProperties(QWidget*, const QString&) { return false; }

} // namespace dialogs
