#include "sources/SheetList.h"

#include "app/form1.h"
#include "automation/Error.h"
#include "automation/Factory.h"
#include "sources/ListItems.h"
#include "sources/WorkbookList.h"

#include <QTreeWidget>
#include <limits>

namespace sources {
namespace {

using automation::Object;

// Sheets beyond this row are shown but not remembered.
constexpr int LastStoredRow = app::SheetTable::LastRow;

const std::string Checked = "1";

// A count as the 32-bit integer it is read as: no number is a type mismatch, a number outside
// that range an overflow.
std::int32_t toInt32(const wire::Value& value) {
    const std::optional<std::int64_t> number = value.integer();
    if (!number)
        throw automation::Error(13, "Type mismatch");
    if (*number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max())
        throw automation::Error(6, "Overflow");
    return static_cast<std::int32_t>(*number);
}

void fillFromTable(app::form1& form, int column) {
    const app::SheetTable& table = form.state.SheetTable;
    QList<QTreeWidgetItem*> items;
    for (int row = 1; row <= LastStoredRow; ++row) {
        const std::string& name = table.at(column, row, 0);
        if (name.empty())
            break;
        items.append(
            NewCheckableItem(QString::fromStdString(name), table.at(column, row, 1) == Checked));
    }
    form.ListView3->addTopLevelItems(items);
}

// The spreadsheet application and the workbook opened in it, for the failure path to end.
struct HostObjects {
    Object application;
    Object workbook;

    // Closes what is open and ends the instance; a failure here changes nothing for the user,
    // who is told about the first one.
    void endAfterFailure() {
        if (!workbook.isNull()) {
            try {
                workbook.call("Close");
            } catch (const automation::Error&) {
            }
        }
        if (!application.isNull()) {
            try {
                application.call("Quit");
            } catch (const automation::Error&) {
            }
        }
        workbook.release();
        application.release();
    }
};

void fillFromWorkbook(app::form1& form, const QString& path, int column, HostObjects& host) {
    host.application = form.services.automation.CreateObject("Excel.Application");
    host.workbook =
        host.application.getObject("Workbooks").callObject("Open", {path.toStdString()});
    host.application.set("DisplayAlerts", false);
    const std::int32_t count = toInt32(host.workbook.getObject("Worksheets").get("Count"));
    for (std::int32_t i = 1; i <= count; ++i) {
        const QString name =
            QString::fromStdString(host.workbook.getObject("Worksheets", {i}).get("Name").text());
        // Appended one by one, so a failure keeps the sheets read before it.
        form.ListView3->addTopLevelItem(NewCheckableItem(name, true));
        if (i <= LastStoredRow) {
            form.state.SheetTable.set(column, i, 0, name.toStdString());
            form.state.SheetTable.set(column, i, 1, Checked);
        }
    }
    host.workbook.call("Close");
    host.workbook.release();
    host.application.call("Quit");
    host.application.release();
}

} // namespace

void ShowSheetsOfSelectedWorkbook(app::form1& form) {
    const QString path = SelectedWorkbookPath(form);
    // A file entry is its own workbook whatever the selection, but without a selected item
    // there is no column to keep its sheets in.
    const int column = SelectedPosition(form.ListView2);
    if (path.isEmpty() || column == 0)
        return;
    app::SharedState& state = form.state;
    HostObjects host;
    try {
        std::string cached;
        if (!state.WorkbookListFresh) {
            // Read before the list on screen is saved: when the clicked workbook is the one
            // shown and its column is still empty, it is read afresh from its file.
            cached = state.SheetTable.at(column, 1, 0);
            StoreSheetChecks(form);
        }
        state.CurrentWorkbookIndex = column;
        form.ListView3->clear();
        if (!cached.empty())
            fillFromTable(form, column);
        else
            fillFromWorkbook(form, path, column, host);
        form.ListView3->repaint();
    } catch (const automation::Error& error) {
        host.endAfterFailure();
        form.services.messages.MsgBox(&form, QString::fromStdString(error.description()),
                                      app::MessageIcon::Critical);
        form.services.messages.MsgBox(&form, QStringLiteral("Excel file open failed!"),
                                      app::MessageIcon::Critical);
    }
}

void StoreSheetChecks(app::form1& form) {
    app::SharedState& state = form.state;
    const int count = std::min(form.ListView3->topLevelItemCount(), LastStoredRow);
    for (int i = 1; i <= count; ++i) {
        const QTreeWidgetItem* item = form.ListView3->topLevelItem(i - 1);
        state.SheetTable.set(state.CurrentWorkbookIndex, i, 0, item->text(0).toStdString());
        state.SheetTable.set(state.CurrentWorkbookIndex, i, 1,
                             IsChecked(item) ? Checked : std::string());
    }
}

} // namespace sources

namespace app {

void form1::ListView1_ItemClick() {
    const QTreeWidgetItem* entry = sources::SelectedItem(ListView1);
    if (entry == nullptr)
        return;
    const QString source = entry->text(0);
    ListView2->clear();
    ListView3->clear();
    state.SheetTable.clear();
    setMousePointer(MousePointer::Hourglass);
    sources::LoadWorkbookList(*this, source);
    sources::ShowSheetsOfSelectedWorkbook(*this);
    setMousePointer(MousePointer::Default);
    // The sheet list keeps what it shows; the first workbook's rows are dropped, so clicking it
    // again reads it afresh.
    state.SheetTable.clear();
}

void form1::ListView2_ItemClick() {
    setMousePointer(MousePointer::Hourglass);
    state.WorkbookListFresh = false;
    sources::ShowSheetsOfSelectedWorkbook(*this);
    state.WorkbookListFresh = true;
    setMousePointer(MousePointer::Default);
}

} // namespace app
