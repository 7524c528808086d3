#include "app/form1.h"
#include "dialogs/CCommonDialogs.h"
#include "sources/ListItems.h"
#include "sources/PathKind.h"
#include "sources/SheetList.h"
#include "sources/WorkbookList.h"

#include <QTreeWidget>
#include <exception>

namespace app {
namespace {

// Appends a source entry with its icon and makes it the only selected one; selecting from code
// raises no click.
QTreeWidgetItem* appendSource(form1& form, const QString& path, int icon) {
    auto* entry = new QTreeWidgetItem(QStringList{path});
    form.setSmallIcon(entry, icon);
    form.ListView1->addTopLevelItem(entry);
    form.ListView1->setCurrentItem(entry);
    return entry;
}

// Moves the selected entry by `offset` positions; the same entry stays selected, and nothing
// else changes.
void moveSelectedSource(form1& form, int offset) {
    QTreeWidget* list = form.ListView1;
    const int from = sources::SelectedPosition(list) - 1;
    const int to = from + offset;
    if (from < 0 || to < 0 || to >= list->topLevelItemCount())
        return;
    // The item itself moves, so it keeps its text and icon.
    QTreeWidgetItem* entry = list->takeTopLevelItem(from);
    list->insertTopLevelItem(to, entry);
    list->setCurrentItem(entry);
    list->scrollToItem(entry);
}

// A hidden file or folder is refused at once: the lists would show its workbooks, but every
// later step tests the path and finds nothing usable there, so none could be shown or converted.
bool acceptsPicked(form1& form, const QString& path, bool folder) {
    if (!sources::IsHiddenName(path.toStdString()))
        return true;
    form.services.messages.MsgBox(
        &form, QString::fromStdString(sources::HiddenPathRefusal(path.toStdString(), folder)),
        MessageIcon::Information);
    return false;
}

} // namespace

void form1::Command1_Click() {
    // Whatever fails ends the command; what was done before stays done.
    try {
        dialogs::CCommonDialogs dialog(services.dialogs, services.programFolder);
        dialog.Init(this);
        dialog.Title(QStringLiteral("Select Excel File"));
        dialog.Filter(QStringLiteral("Excel File(*.xls;*.xlsx)") + QChar(u'\0') +
                      QStringLiteral("*.xls;*.xlsx") + QChar(u'\0'));
        if (dialog.ShowOpen() == -1 && acceptsPicked(*this, dialog.FileName(), false)) {
            const QString path = dialog.FileName();
            QTreeWidgetItem* entry = appendSource(*this, path, WorkbookFileIcon);
            ListView1->repaint();
            ListView1->scrollToItem(entry);
            sources::LoadWorkbookList(*this, path);
            state.SheetTable.clear();
            setMousePointer(MousePointer::Hourglass);
            sources::ShowSheetsOfSelectedWorkbook(*this);
        }
    } catch (const std::exception&) {
    }
    setMousePointer(MousePointer::Default);
}

void form1::Command5_Click() {
    try {
        dialogs::CCommonDialogs dialog(services.dialogs, services.programFolder);
        dialog.Init(this);
        dialog.Title(QStringLiteral("Add all excel files in folder"));
        if (dialog.ShowFolder() == -1) {
            const QString folder = dialog.Path();
            if (!folder.isEmpty() && acceptsPicked(*this, folder, true)) {
                QTreeWidgetItem* entry = appendSource(*this, folder, FolderIcon);
                sources::LoadWorkbookList(*this, folder);
                ListView1->repaint();
                ListView1->scrollToItem(entry);
                setMousePointer(MousePointer::Hourglass);
                state.SheetTable.clear();
                sources::ShowSheetsOfSelectedWorkbook(*this);
            }
        }
    } catch (const std::exception&) {
    }
    setMousePointer(MousePointer::Default);
}

void form1::Command2_Click() {
    try {
        const int count = ListView1->topLevelItemCount();
        const int removed = sources::SelectedPosition(ListView1);
        if (count > 0 && removed > 0) {
            // Only the entry goes: nothing on disk is touched and nothing is asked.
            delete ListView1->takeTopLevelItem(removed - 1);
            if (count == 1) {
                state.SheetTable.clear();
                ListView2->clear();
                ListView3->clear();
            } else {
                QTreeWidgetItem* neighbour =
                    ListView1->topLevelItem(removed == 1 ? 0 : removed - 2);
                ListView1->setCurrentItem(neighbour);
                sources::LoadWorkbookList(*this, neighbour->text(0));
                setMousePointer(MousePointer::Hourglass);
                sources::ShowSheetsOfSelectedWorkbook(*this);
            }
        }
    } catch (const std::exception&) {
    }
    setMousePointer(MousePointer::Default);
}

void form1::RemoveAll_Click() {
    state.SheetTable.clear();
    ListView1->clear();
    ListView2->clear();
    ListView3->clear();
}

void form1::Command3_Click() {
    moveSelectedSource(*this, -1);
}

void form1::Command4_Click() {
    moveSelectedSource(*this, +1);
}

} // namespace app
