#include "dialogs/QtSystemDialogs.h"

#include <QFileDialog>

namespace dialogs {

std::optional<QString> QtSystemDialogs::openFile(QWidget* owner, const OpenRequest& request) {
    QFileDialog dialog(owner, request.title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filterName + QStringLiteral(" (") + request.pattern +
                         QStringLiteral(")"));
    if (!request.initialFile.trimmed().isEmpty())
        dialog.selectFile(request.initialFile.trimmed());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtSystemDialogs::saveFile(QWidget* owner, const SaveRequest& request) {
    QFileDialog dialog(owner, request.title, request.initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtSystemDialogs::pickFolder(QWidget* owner, const QString& instruction) {
    QFileDialog dialog(owner, instruction);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace dialogs
