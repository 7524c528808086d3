// Draws the main window as the README shows it, with a folder of workbooks listed and the
// sheets of one of them, into the PNG file named on the command line. The workbooks are test
// doubles, so the picture is the same on every machine with the same fonts and icon theme.
// Run under a virtual display: xvfb-run -a app_window_shot docs/window.png

#include "tests/gui_support/ListContents.h"
#include "tests/gui_support/Window.h"

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication application(argc, argv);

    testing_support::TestWindow test;
    app::form1& form = test.window();
    if (!form.Form_Load())
        return 1;
    // A folder path that reads well in the picture; removed again at the end.
    const std::filesystem::path books = "/tmp/Quillmere sample/Workbooks";
    std::filesystem::create_directories(books);
    const std::pair<const char*, QStringList> workbooks[] = {
        {"Budget 2026.xlsx", {"Summary", "Income", "Expenses"}},
        {"Inventory.xls", {"Stock", "Suppliers"}},
        {"Quarterly report.xlsm", {"Q1", "Q2", "Q3", "Q4", "Charts data"}},
        {"Staff rota.xls", {"Week 1", "Week 2"}},
    };
    for (const auto& [name, sheets] : workbooks) {
        std::ofstream(books / name) << "x";
        test.host.addWorkbook(QString::fromStdString((books / name).string()), sheets);
    }
    test.dialogs.folderAnswers.push_back(QString::fromStdString(books.string()));
    form.Command5_Click();
    test.dialogs.folderAnswers.push_back(QStringLiteral("/srv/shared/finance"));
    form.Command5_Click();
    form.ListView1->setCurrentItem(form.ListView1->topLevelItem(0));
    form.ListView1_ItemClick();
    form.ListView2->setCurrentItem(form.ListView2->topLevelItem(2));
    form.ListView2_ItemClick();
    form.ListView3->topLevelItem(4)->setCheckState(0, Qt::Unchecked);
    form.ListView2->topLevelItem(3)->setCheckState(0, Qt::Unchecked);
    form.Combo5->setEditText(QStringLiteral("/home/user/Web pages"));

    form.show();
    QApplication::processEvents();
    const bool saved = form.grab().save(QString::fromLocal8Bit(argv[1]));
    std::filesystem::remove_all(books.parent_path());
    return saved ? 0 : 1;
}
