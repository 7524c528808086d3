#pragma once
// The production system dialogs: Qt's file, folder, colour, font and print dialogs.

#include "dialogs/SystemDialogs.h"

namespace dialogs {

class QtSystemDialogs : public SystemDialogs {
public:
    std::optional<QString> openFile(QWidget* owner, const OpenRequest& request) override;
    std::optional<QString> saveFile(QWidget* owner, const SaveRequest& request) override;
    std::optional<QString> pickFolder(QWidget* owner, const QString& instruction) override;
    std::optional<QColor> pickColor(QWidget* owner, QColor initial, bool fullOpen) override;
    std::optional<FontChoice> pickFont(QWidget* owner, const QFont& initial) override;
    bool printDialog(QWidget* owner) override;
    QString defaultPrinter() override;
    bool printerProperties(QWidget* owner, const QString& printer) override;
};

} // namespace dialogs
