// The lists' speed targets: listing a folder of 20,000 files yields its first 500 workbooks in
// at most 100 ms; showing 5,000 sheets from the sheet table takes at most 200 ms.

#include "app/QtServices.h"
#include "app/SharedState.h"
#include "app/form1.h"
#include "automation/Factory.h"
#include "dialogs/QtSystemDialogs.h"
#include "sources/WorkbookList.h"
#include "sources/WorkbookListing.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <fstream>

namespace {

// A window on production services; nothing here reaches them.
struct Window {
    Window()
        : automation(folder.path().toStdString()), services{automation,   dialogs, shell,
                                                            messages,     random,  folder.path(),
                                                            folder.path()},
          form(state, services) {
        form.show();
    }
    QTemporaryDir folder;
    automation::HostFactory automation;
    dialogs::QtSystemDialogs dialogs;
    app::DesktopShell shell;
    app::QtMessageBoxes messages;
    app::ClockRandom random;
    app::Services services;
    app::SharedState state;
    app::form1 form;
};

// 20,000 workbooks in an order unlike their names' order, so that every one is a candidate.
const QTemporaryDir& bigFolder() {
    static QTemporaryDir dir;
    static bool filled = false;
    if (!filled) {
        for (int i = 0; i < 20000; ++i) {
            const int n = (i * 7919) % 20000;
            std::ofstream(
                QDir(dir.path()).filePath(QStringLiteral("Book%1.xls").arg(n)).toStdString())
                << "";
        }
        filled = true;
    }
    return dir;
}

void BM_ListWorkbookNames(benchmark::State& state) {
    const std::string folder = bigFolder().path().toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(sources::ListWorkbookNames(folder, sources::MaxWorkbooks));
}
BENCHMARK(BM_ListWorkbookNames)->Unit(benchmark::kMillisecond);

void BM_LoadWorkbookList(benchmark::State& state) {
    Window window;
    const QString folder = bigFolder().path();
    for (auto _ : state)
        sources::LoadWorkbookList(window.form, folder);
    if (window.form.ListView2->topLevelItemCount() != sources::MaxWorkbooks)
        state.SkipWithError("not 500 workbooks");
}
BENCHMARK(BM_LoadWorkbookList)->Unit(benchmark::kMillisecond);

// A workbook-list click that saves 5,000 sheets on screen and shows 5,000 from the table.
void BM_ShowFiveThousandSheetsFromTable(benchmark::State& state) {
    Window window;
    app::form1& form = window.form;
    const QString book = QDir(window.folder.path()).filePath(QStringLiteral("Book1.xls"));
    std::ofstream(book.toStdString()) << "";
    auto* entry = new QTreeWidgetItem(QStringList{book});
    form.ListView1->addTopLevelItem(entry);
    form.ListView1->setCurrentItem(entry);
    sources::LoadWorkbookList(form, book);
    for (int row = 1; row <= 5000; ++row) {
        form.state.SheetTable.set(1, row, 0, "Sheet" + std::to_string(row));
        form.state.SheetTable.set(1, row, 1, row % 3 ? "1" : "");
    }
    form.state.WorkbookListFresh = true;
    form.state.CurrentWorkbookIndex = 1;
    for (auto _ : state)
        form.ListView2_ItemClick();
    if (form.ListView3->topLevelItemCount() != 5000)
        state.SkipWithError("not 5,000 sheets");
}
BENCHMARK(BM_ShowFiveThousandSheetsFromTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
