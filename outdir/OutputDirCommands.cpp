#include "app/form1.h"
#include "dialogs/CCommonDialogs.h"
#include "sources/PathKind.h"

#include <QComboBox>

namespace app {

void form1::Command10_Click() {
    dialogs::CCommonDialogs dialog(services.dialogs, services.programFolder);
    dialog.Init(this);
    dialog.Title(QStringLiteral("Output Folder"));
    if (dialog.ShowFolder() != -1)
        return;
    const QString folder = dialog.Path();
    if (folder.isEmpty())
        return;
    // The run would find nothing usable at a hidden folder and call it missing.
    if (sources::IsHiddenName(folder.toStdString())) {
        services.messages.MsgBox(
            this, QString::fromStdString(sources::HiddenPathRefusal(folder.toStdString(), true)),
            MessageIcon::Information);
        return;
    }
    Combo5->insertItem(0, folder);
    Combo5->setCurrentIndex(0);
}

void form1::Command11_Click() {
    // An empty box names no folder.
    const QString text = Combo5->currentText();
    if (text.isEmpty())
        return;
    // The text with one separator appended, except that a path starts with one separator
    // only: the root would become "//", which a file address reads as a network host of no
    // name, so it opened nothing.
    QString folder = text;
    while (folder.startsWith(QStringLiteral("//")))
        folder.remove(0, 1);
    if (folder != u"/")
        folder += u'/';
    if (sources::PathKind(folder.toStdString()) == sources::ExistingFolder)
        services.shell.ShellExecute(this, QStringLiteral("open"), folder, SW_SHOW);
}

void form1::Removeoutput_Click() {
    const int count = Combo5->count();
    const int removed = Combo5->currentIndex();
    if (count <= 0 || removed < 0)
        return;
    // Selecting an entry shows it; where nothing is selected afterwards, the text stays.
    const QString text = Combo5->currentText();
    Combo5->removeItem(removed);
    if (removed == count - 1) {
        if (count - 1 > 0) {
            Combo5->setCurrentIndex(removed - 1);
        } else {
            Combo5->setCurrentIndex(-1);
            Combo5->setEditText(text);
        }
    } else {
        Combo5->setCurrentIndex(removed);
    }
}

void form1::RemoveAllOutput_Click() {
    // Every entry goes at once (one by one is quadratic in a long history); the text stays.
    const QString text = Combo5->currentText();
    Combo5->clear();
    Combo5->setEditText(text);
}

} // namespace app
