#include "app/StateFiles.h"
#include "app/VersionText.h"
#include "app/form1.h"
#include "automation/Error.h"
#include "automation/Factory.h"
#include "sources/PathKind.h"

#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace app {
namespace {

// Step 1: the major version of the spreadsheet application, through a throwaway instance.
int probeSpreadsheetVersion(automation::Factory& factory) {
    automation::Object application = factory.CreateObject("Excel.Application");
    const int major = MajorVersion(QString::fromStdString(application.get("Version").text()));
    application.call("Quit");
    application.release();
    return major;
}

int iconForPath(const QString& path) {
    if (sources::PathKind(path.toStdString()) == sources::ExistingFile)
        return WorkbookFileIcon;
    if (sources::PathKind(path.toStdString()) == sources::ExistingFolder)
        return FolderIcon;
    return MissingPathIcon;
}

} // namespace

bool form1::Form_Load() {
    int SpreadsheetMajorVersion = 0;
    try {
        SpreadsheetMajorVersion = probeSpreadsheetVersion(services.automation);
    } catch (const automation::Error& error) {
        services.messages.MsgBox(this, QString::fromStdString(error.description()),
                                 MessageIcon::Critical);
        return false;
    }

    ListView1->setColumnWidth(0, twips(8800));
    ListView2->setColumnWidth(0, twips(4400));
    ListView3->setColumnWidth(0, twips(4150));

    const QDir stateDir(services.stateFolder);
    QList<QTreeWidgetItem*> entries;
    for (const QString& line : readStateLines(stateDir.filePath(SourceListFile))) {
        const QString shown = StateTextForDisplay(line);
        auto* entry = new QTreeWidgetItem(QStringList{shown});
        if (shown != line)
            entry->setData(0, StoredStateTextRole, line);
        setSmallIcon(entry, iconForPath(shown));
        entries.append(entry);
    }
    ListView1->addTopLevelItems(entries);
    // The list selects the first entry appended to it, without a click.
    if (ListView1->topLevelItemCount() > 0)
        ListView1->setCurrentItem(ListView1->topLevelItem(0));

    for (const QString& line : readStateLines(stateDir.filePath(OutputHistoryFile))) {
        const QString shown = StateTextForDisplay(line);
        Combo5->addItem(shown);
        if (shown != line)
            Combo5->setItemData(Combo5->count() - 1, line, StoredStateTextRole);
    }
    if (Combo5->count() > 0)
        Combo5->setCurrentIndex(0);
    else
        Combo5->setCurrentIndex(-1);

    Combo1->addItems({QStringLiteral("HTML File will be based on sheet name"),
                      QStringLiteral("HTML File will be based on workbook and sheet name"),
                      QStringLiteral("HTML File will be 1.xls,2.xls,3.xls,4.xls,5.xls...")});
    Combo1->setCurrentIndex(0);

    Combo2->addItem(QStringLiteral("Static text and images"));
    if (SpreadsheetMajorVersion <= 11)
        Combo2->addItems({QStringLiteral("Interactive spreadsheet functionality"),
                          QStringLiteral("Interactive pivotTable functionality")});
    Combo2->setCurrentIndex(0);

    {
        const QSignalBlocker quiet(Combo3);
        Combo3->addItems({QStringLiteral("Web Page (*.htm; *html)"),
                          QStringLiteral("Single File Web Page (*.mht; *mhtml)")});
        Combo3->setCurrentIndex(0);
    }
    Combo3_Click();

    Combo4->addItems({QString(), QStringLiteral("Page title will be based on sheet name"),
                      QStringLiteral("Page title will be based on workbook name"),
                      QStringLiteral("Page title will be based on workbook and sheet name")});
    Combo4->setCurrentIndex(0);

    Option2->setChecked(true);
    Option2_Click();
    Option3->setChecked(true);

    state.WorkbookListFresh = true;
    return true;
}

} // namespace app
