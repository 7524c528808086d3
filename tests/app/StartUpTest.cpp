// Start-up against the fake host: the version probe, the restored lists and the defaults.

#include "tests/gui_support/Window.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::TestWindow;

QStringList items(const QComboBox* combo) {
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

TEST(StartUp, PublishTypesFollowTheVersion) {
    struct Row {
        const char* version;
        int publishTypes;
    } rows[] = {{"11.0", 3}, {"11", 3}, {"10.5.1", 3}, {"12.0", 1},  {"14.0", 1},
                {"16.0", 1}, {"", 3},   {"abc", 3},    {"11.6.0", 1}};
    for (const Row& row : rows) {
        TestWindow test;
        test.host.version = QString::fromLatin1(row.version);
        app::form1& form = test.loaded();
        EXPECT_EQ(form.Combo2->count(), row.publishTypes) << row.version;
        EXPECT_EQ(form.Combo2->currentIndex(), 0);
        // One throwaway instance, quit and released before the window shows.
        EXPECT_EQ(test.host.calls.mid(0, 3),
                  QStringList({"CreateObject(Excel.Application)", "Version", "Quit"}));
        EXPECT_EQ(test.host.liveInstances(), 0);
    }
}

TEST(StartUp, ThreePublishTypesInOrder) {
    TestWindow test;
    test.host.version = QStringLiteral("11.0");
    EXPECT_EQ(items(test.loaded().Combo2),
              QStringList({"Static text and images", "Interactive spreadsheet functionality",
                           "Interactive pivotTable functionality"}));
}

TEST(StartUp, HostFailuresEndTheProgramWithTheirDescription) {
    for (const char* member : {"CreateObject", "Version", "Quit"}) {
        TestWindow test;
        test.host.failOn(QString::fromLatin1(member), QStringLiteral("no host here"));
        EXPECT_FALSE(test.window().Form_Load()) << member;
        ASSERT_EQ(test.messages.messages.size(), 1u);
        EXPECT_EQ(test.messages.messages[0].text, QStringLiteral("no host here"));
        EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Critical);
        EXPECT_EQ(test.host.liveInstances(), 0) << member;
    }
}

TEST(StartUp, DefaultsAfterStartUp) {
    TestWindow test;
    app::form1& form = test.loaded();
    EXPECT_EQ(items(form.Combo1),
              QStringList({"HTML File will be based on sheet name",
                           "HTML File will be based on workbook and sheet name",
                           "HTML File will be 1.xls,2.xls,3.xls,4.xls,5.xls..."}));
    EXPECT_EQ(items(form.Combo3),
              QStringList({"Web Page (*.htm; *html)", "Single File Web Page (*.mht; *mhtml)"}));
    EXPECT_EQ(items(form.Combo4),
              QStringList({"", "Page title will be based on sheet name",
                           "Page title will be based on workbook name",
                           "Page title will be based on workbook and sheet name"}));
    EXPECT_EQ(form.Combo1->currentIndex(), 0);
    EXPECT_EQ(form.Combo3->currentIndex(), 0);
    EXPECT_EQ(form.Combo4->currentIndex(), 0);
    EXPECT_TRUE(form.Option2->isChecked());
    EXPECT_FALSE(form.Option1->isChecked());
    EXPECT_TRUE(form.Option3->isChecked());
    EXPECT_EQ(form.Label3->text(), QStringLiteral("HTML Type:"));
    EXPECT_TRUE(form.Combo1->isEnabled() && form.Combo2->isEnabled() && form.Combo4->isEnabled() &&
                form.ListView3->isEnabled());
    EXPECT_TRUE(test.state->WorkbookListFresh);
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 0);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form.Combo5->count(), 0);
    EXPECT_EQ(form.Combo5->currentIndex(), -1);
    EXPECT_TRUE(form.Combo5->currentText().isEmpty());
}

TEST(StartUp, RestoresSourcesWithTheirIconsAndTheHistory) {
    TestWindow test;
    const QString book = test.programFile(QStringLiteral("Book1.xls"));
    std::ofstream(book.toStdString()) << "x";
    test.writeStateFile(QStringLiteral("EXCEL.txt"),
                        {book, test.programFile(QString()), QStringLiteral("/no/such/path"), ""});
    test.writeStateFile(QStringLiteral("output.txt"), {"/out/newest", "/out/older"});
    app::form1& form = test.loaded();
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 4);
    EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0), book);
    EXPECT_EQ(app::form1::smallIcon(form.ListView1->topLevelItem(0)), app::WorkbookFileIcon);
    EXPECT_EQ(app::form1::smallIcon(form.ListView1->topLevelItem(1)), app::FolderIcon);
    EXPECT_EQ(app::form1::smallIcon(form.ListView1->topLevelItem(2)), app::MissingPathIcon);
    // An empty line in the file is an empty entry.
    EXPECT_EQ(form.ListView1->topLevelItem(3)->text(0), QString());
    // The first entry is selected, its workbooks not listed yet.
    EXPECT_EQ(form.ListView1->currentItem(), form.ListView1->topLevelItem(0));
    EXPECT_EQ(form.ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(items(form.Combo5), QStringList({"/out/newest", "/out/older"}));
    EXPECT_EQ(form.Combo5->currentIndex(), 0);
    EXPECT_EQ(form.Combo5->currentText(), QStringLiteral("/out/newest"));
}

TEST(StartUp, HostileStateFilesStillStart) {
    TestWindow test;
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>(i * 37));
    std::ofstream(test.programFile(QStringLiteral("EXCEL.txt")).toStdString(), std::ios::binary)
        << junk.toStdString() << std::string(1 << 20, 'a') << "\n";
    std::ofstream many(test.programFile(QStringLiteral("output.txt")).toStdString());
    for (int i = 0; i < 100000; ++i)
        many << "/out/" << i << "\n";
    many.close();
    app::form1& form = test.loaded();
    EXPECT_GT(form.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form.Combo5->count(), 100000);
}

TEST(OptionPanel, FileFormatChangesCaptionsOnly) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.Option4->setChecked(true);
    form.Combo3->setCurrentIndex(1);
    EXPECT_EQ(form.Label3->text(), QStringLiteral("MHT Type:"));
    EXPECT_EQ(form.Option3->text(), QStringLiteral("mht"));
    EXPECT_EQ(form.Option4->text(), QStringLiteral("mhtml"));
    EXPECT_TRUE(form.Option4->isChecked());
    form.Combo3->setCurrentIndex(0);
    EXPECT_EQ(form.Label3->text(), QStringLiteral("HTML Type:"));
    EXPECT_EQ(form.Option3->text(), QStringLiteral("htm"));
    EXPECT_EQ(form.Option4->text(), QStringLiteral("html"));
    EXPECT_TRUE(form.Option4->isChecked());
}

TEST(OptionPanel, ModeButtonsEnableTheSheetChoices) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    // Clicked near the left edge, where the button's circle is.
    QTest::mouseClick(form.Option1, Qt::LeftButton, {}, QPoint(6, form.Option1->height() / 2));
    EXPECT_TRUE(form.Option1->isChecked());
    EXPECT_FALSE(form.Combo1->isEnabled());
    EXPECT_FALSE(form.Combo2->isEnabled());
    EXPECT_FALSE(form.Combo4->isEnabled());
    EXPECT_FALSE(form.ListView3->isEnabled());
    EXPECT_TRUE(form.Combo3->isEnabled() && form.Frame1->isEnabled() &&
                form.ListView1->isEnabled() && form.ListView2->isEnabled() &&
                form.Combo5->isEnabled());
    QTest::mouseClick(form.Option2, Qt::LeftButton, {}, QPoint(6, form.Option2->height() / 2));
    EXPECT_TRUE(form.Combo1->isEnabled() && form.Combo2->isEnabled() && form.Combo4->isEnabled() &&
                form.ListView3->isEnabled());
}

TEST(MainWindow, LayoutFollowsTheControlTable) {
    TestWindow test;
    app::form1& form = test.loaded();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillmere"));
    EXPECT_EQ(form.centralWidget()->size(), QSize(form.twips(9960), form.twips(8220)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.Command6->geometry(),
              QRect(form.twips(5040), 0, form.twips(1090), form.twips(975)));
    EXPECT_EQ(form.Option4->parentWidget(), form.Frame1);
    EXPECT_EQ(form.Option4->geometry().topLeft(), QPoint(form.twips(1320), form.twips(120)));
    EXPECT_EQ(form.Label7->text(), QStringLiteral("Select  output directory:"));
    EXPECT_DOUBLE_EQ(form.Command6->font().pointSizeF(), 9.75);
    EXPECT_EQ(form.Command6->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.ListView1->headerItem()->text(0),
              QStringLiteral("Please Select the Excel File or Folder to Convert"));
    EXPECT_EQ(form.ListView1->columnWidth(0), form.twips(8800));
}

TEST(MainWindow, ExitUnloadsOnce) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    QTest::mouseClick(form.Command9, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
