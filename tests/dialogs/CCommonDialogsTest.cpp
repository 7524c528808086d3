// CCommonDialogs over scripted system dialogs: the meaning of every property and result of the
// three pickers.

#include "dialogs/CCommonDialogs.h"

#include "tests/gui_support/Doubles.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

namespace {

using testing_support::q;

using dialogs::CCommonDialogs;
using testing_support::ScratchDir;
using testing_support::ScriptedDialogs;

const QChar Nul(u'\0');

TEST(CCommonDialogs, TextPropertiesReadUpToTheFirstNul) {
    ScriptedDialogs system;
    CCommonDialogs dialog(system);
    EXPECT_TRUE(dialog.Title().isEmpty() && dialog.Path().isEmpty() && dialog.FileName().isEmpty());
    EXPECT_EQ(dialog.Color(), 0);
    EXPECT_EQ(dialog.FontBold(), 0);
    dialog.Title(QStringLiteral("Pick") + Nul + QStringLiteral("rest"));
    dialog.Path(QStringLiteral("/data") + Nul + Nul);
    dialog.FileTitle(QStringLiteral("a.xls") + Nul);
    dialog.FileName(QStringLiteral("/data/a.xls") + Nul + QStringLiteral("   "));
    dialog.Filter(QStringLiteral("A") + Nul + QStringLiteral("*.a") + Nul);
    dialog.DefExt(QStringLiteral("xls") + Nul);
    EXPECT_EQ(dialog.Title(), QStringLiteral("Pick"));
    EXPECT_EQ(dialog.Path(), QStringLiteral("/data"));
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("a.xls"));
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/data/a.xls"));
    // Filter and DefExt come back unchanged.
    EXPECT_EQ(dialog.Filter(), QStringLiteral("A") + Nul + QStringLiteral("*.a") + Nul);
    EXPECT_EQ(dialog.DefExt(), QStringLiteral("xls") + Nul);
}

TEST(CCommonDialogs, ShowOpenOffersItsOwnFilterAndSplitsTheChoice) {
    ScriptedDialogs system;
    CCommonDialogs dialog(system);
    dialog.Init(nullptr);
    dialog.Title(QStringLiteral("Select Excel File"));
    dialog.Filter(QStringLiteral("Text|*.txt"));
    dialog.FileName(QStringLiteral("start.xls"));
    dialog.DefExt(QStringLiteral("xls"));
    system.openAnswers.push_back(QStringLiteral("/data/Book1.xls"));
    EXPECT_EQ(dialog.ShowOpen(), -1);
    ASSERT_EQ(system.openRequests.size(), 1u);
    const dialogs::OpenRequest& request = system.openRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Select Excel File"));
    EXPECT_EQ(request.filterName, QStringLiteral("Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb)"));
    EXPECT_EQ(request.pattern, QStringLiteral("*.xl*"));
    EXPECT_EQ(request.initialFile, QStringLiteral("start.xls"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("xls"));
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/data/Book1.xls"));
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("Book1.xls"));
    EXPECT_EQ(dialog.Path(), QStringLiteral("/data"));

    // Cancelled: everything as it was.
    EXPECT_EQ(dialog.ShowOpen(), 0);
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/data/Book1.xls"));
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("Book1.xls"));
    EXPECT_EQ(dialog.Path(), QStringLiteral("/data"));
    EXPECT_EQ(system.openRequests[1].initialFile, QStringLiteral("/data/Book1.xls"));
}

TEST(CCommonDialogs, ShowOpenKeepsOddNamesWhole) {
    ScriptedDialogs system;
    CCommonDialogs dialog(system);
    const QString odd = QStringLiteral("/data/My 'Q' \"R\"/Ü bersicht.xlsx");
    system.openAnswers.push_back(odd);
    EXPECT_EQ(dialog.ShowOpen(), -1);
    EXPECT_EQ(dialog.FileName(), odd);
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("Ü bersicht.xlsx"));
    EXPECT_EQ(dialog.Path(), QStringLiteral("/data/My 'Q' \"R\""));
}

TEST(CCommonDialogs, ShowFolderSetsPathAndClearsTheFile) {
    ScriptedDialogs system;
    CCommonDialogs dialog(system);
    dialog.Title(QStringLiteral("Output Folder"));
    dialog.FileName(QStringLiteral("/x/a.xls"));
    dialog.FileTitle(QStringLiteral("a.xls"));
    dialog.Path(QStringLiteral("/before"));

    EXPECT_EQ(dialog.ShowFolder(), 0); // cancelled
    EXPECT_EQ(dialog.Path(), QStringLiteral("/before"));
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/x/a.xls"));

    system.folderAnswers.push_back(QStringLiteral("/out"));
    EXPECT_EQ(dialog.ShowFolder(), -1);
    EXPECT_EQ(system.folderInstructions.last(), QStringLiteral("Output Folder"));
    EXPECT_EQ(dialog.Path(), QStringLiteral("/out"));
    EXPECT_TRUE(dialog.FileName().isEmpty());
    EXPECT_TRUE(dialog.FileTitle().isEmpty());

    system.folderAnswers.push_back(QString()); // something that is not a folder
    EXPECT_EQ(dialog.ShowFolder(), -1);
    EXPECT_TRUE(dialog.Path().isEmpty());
}

TEST(CCommonDialogs, ShowSaveStartsInAFolderThatExists) {
    ScratchDir program;
    ScratchDir data;
    std::filesystem::create_directory(data / ".hidden");
    struct Row {
        QString path;
        QString start; // also Path after a cancel
    } rows[] = {
        {QString(), q(program.path())},
        {QStringLiteral("   "), q(program.path())},
        {q(data / "missing"), q(program.path())},
        {q(data.path()), q(data.path()) + "/"},
        {q(data.path()) + "/", q(data.path()) + "/"},
        {q(data / ".hidden"), q(data / ".hidden") + "/"},
    };
    for (const Row& row : rows) {
        ScriptedDialogs system;
        CCommonDialogs dialog(system, q(program.path()));
        dialog.Path(row.path);
        EXPECT_EQ(dialog.ShowSave(), 0);
        ASSERT_EQ(system.saveRequests.size(), 1u);
        EXPECT_EQ(system.saveRequests[0].initialFolder, row.start) << row.path.toStdString();
        EXPECT_EQ(system.saveRequests[0].title, QStringLiteral("Save"));
        EXPECT_EQ(dialog.Path(), row.start);
    }
}

TEST(CCommonDialogs, ShowSaveFilters) {
    struct Row {
        QString filter;
        QStringList offered;
    } rows[] = {
        {QString(), {"*.* (*.*)"}},
        {QStringLiteral("  "), {"*.* (*.*)"}},
        {QStringLiteral("Text files|*.txt|All|*.*"), {"Text files (*.txt)", "All (*.*)"}},
        {QStringLiteral("Excel|*.xls;*.xlsx"), {"Excel (*.xls *.xlsx)"}},
        {QStringLiteral("Text|*.txt|Lonely"), {"Text (*.txt)"}},
        {QStringLiteral("Text|*.txt||All|*.*"), {"Text (*.txt)"}},
    };
    for (const Row& row : rows) {
        ScriptedDialogs system;
        CCommonDialogs dialog(system, QStringLiteral("/"));
        dialog.Filter(row.filter);
        dialog.ShowSave();
        EXPECT_EQ(system.saveRequests.at(0).filters, row.offered) << row.filter.toStdString();
    }
}

TEST(CCommonDialogs, ShowSaveConfirmed) {
    ScratchDir program;
    ScriptedDialogs system;
    CCommonDialogs dialog(system, q(program.path()));
    dialog.DefExt(QStringLiteral("xls")); // not used by the save dialog
    const QString longName = "/out/" + QString(300, u'n') + ".htm";
    system.saveAnswers.push_back(longName);
    EXPECT_EQ(dialog.ShowSave(), -1);
    EXPECT_EQ(dialog.FileName(), longName);
    EXPECT_EQ(dialog.FileTitle(), QString(300, u'n') + ".htm");
    EXPECT_EQ(dialog.Path(), QStringLiteral("/out"));
}

} // namespace
