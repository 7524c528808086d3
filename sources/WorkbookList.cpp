#include "sources/WorkbookList.h"

#include "app/form1.h"
#include "sources/ListItems.h"
#include "sources/PathKind.h"
#include "sources/WorkbookListing.h"

#include <QFileInfo>
#include <QTreeWidget>

namespace sources {
namespace {

// The workbook named `name` of the source entry `entry`, or "" when there is none.
QString workbookPath(const QString& entry, const QString& name) {
    const std::string entryPath = entry.toStdString();
    switch (PathKind(entryPath)) {
    case ExistingFile:
        return entry; // a file entry is its own workbook
    case ExistingFolder: {
        const std::string candidate = JoinPath(entryPath, name.toStdString());
        return PathKind(candidate) == ExistingFile ? QString::fromStdString(candidate) : QString();
    }
    default:
        return QString();
    }
}

QString selectedSourceText(app::form1& form) {
    const QTreeWidgetItem* entry = SelectedItem(form.ListView1);
    return entry ? entry->text(0) : QString();
}

} // namespace

void LoadWorkbookList(app::form1& form, const QString& sourcePath) {
    form.state.SheetTable.clear();
    form.ListView2->clear();
    QList<QTreeWidgetItem*> items;
    const std::string path = sourcePath.toStdString();
    const int kind = PathKind(path);
    if (kind == ExistingFile) {
        items.append(NewCheckableItem(QFileInfo(sourcePath).fileName(), true));
    } else if (kind == ExistingFolder) {
        // Only where the workbooks' paths will be found again: a hidden folder restored from
        // the source list would show workbooks that no later step could use.
        for (const std::string& name : ListWorkbookNames(path, MaxWorkbooks))
            items.append(NewCheckableItem(QString::fromStdString(name), true));
    }
    form.ListView2->addTopLevelItems(items);
    // The list selects its first item when items are added to it empty.
    if (!items.isEmpty())
        form.ListView2->setCurrentItem(items.first());
    form.ListView2->repaint();
    form.ListView2->setVisible(true);
}

QString SelectedWorkbookPath(app::form1& form) {
    const QTreeWidgetItem* workbook = SelectedItem(form.ListView2);
    return workbookPath(selectedSourceText(form), workbook ? workbook->text(0) : QString());
}

QString WorkbookPathAt(app::form1& form, std::int32_t position) {
    const int count = form.ListView2->topLevelItemCount();
    const QString name = position >= 1 && position <= count
                             ? form.ListView2->topLevelItem(position - 1)->text(0)
                             : QString();
    return workbookPath(selectedSourceText(form), name);
}

} // namespace sources
