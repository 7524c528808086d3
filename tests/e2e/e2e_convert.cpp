// Convert runs with the real host on corpus workbooks: the folders, file names and pages on disk.

#include "automation/Error.h"
#include "automation/Factory.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::q;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::corpusFile;
using testing_support::ScratchDir;

const QString binFolder = QStringLiteral(QM_BINARY_DIR "/bin");

// True when the host built here reads workbooks (its readers may still be stubs).
bool hostReadsWorkbooks() {
    static const bool reads = [] {
        automation::HostFactory factory(binFolder.toStdString(), 60s);
        try {
            automation::Object application = factory.CreateObject("Excel.Application");
            automation::Object workbook =
                application.getObject("Workbooks")
                    .callObject("Open", {corpusFile("xls/xlrd-profiles.xls").string()});
            workbook.call("Close");
            application.call("Quit");
            return true;
        } catch (const automation::Error&) {
            return false;
        }
    }();
    return reads;
}

#define REQUIRE_READING_HOST()                                                                     \
    ASSERT_TRUE(hostReadsWorkbooks()) << "the host cannot read a corpus workbook"

// A window on the real host whose workbook list shows a scratch folder of corpus workbooks.
struct RealRun {
    testing_support::TestWindow test;
    automation::HostFactory factory{binFolder.toStdString(), 120s};
    ScratchDir source;
    ScratchDir outRoot;
    app::form1* form = nullptr;

    RealRun() {
        const QString folder = QString::fromStdString(test.folder.path().string());
        test.services = std::make_unique<app::Services>(app::Services{
            factory, test.dialogs, test.shell, test.messages, test.random, folder, folder});
        form = &test.loaded();
        form->Combo5->setEditText(q(outRoot.path()));
    }
    void add(const char* corpusName, const char* asName) {
        fs::copy_file(corpusFile(corpusName), source / asName);
    }
    void addSample() {
        add("xls/xlrd-profiles.xls", "profiles.xls");
        add("xlsx/edr-TestMultiSheet.xlsx", "TestMultiSheet.xlsx");
        add("xls/edr-Test_Excel_Dataset.xls", "Test Dataset.xls");
        add("xlsx/calamine-any_sheets.xlsx", "any_sheets.xlsx");
        add("bad/edr-TestFail_Binary.xls", "damaged.xls");
    }
    void list() {
        auto* entry = new QTreeWidgetItem(QStringList{q(source.path())});
        form->ListView1->addTopLevelItem(entry);
        form->ListView1->setCurrentItem(entry);
        sources::LoadWorkbookList(*form, q(source.path()));
    }
    void choose(int fileFormat, bool shortExtension) {
        form->Combo3->setCurrentIndex(fileFormat);
        (shortExtension ? form->Option3 : form->Option4)->setChecked(true);
    }
    QStringList texts() const { return test.messages.texts(); }
};

struct Variant {
    int fileFormat;
    bool shortExtension;
    const char* extension;
};
constexpr Variant variants[] = {
    {0, true, "htm"}, {0, false, "html"}, {1, true, "mht"}, {1, false, "mhtml"}};

// A page a browser opens: an HTML document, or a MIME archive holding one.
void expectPage(const fs::path& path, const char* extension) {
    QFile file(q(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    const QByteArray head = file.read(4096);
    if (QByteArray(extension).startsWith("mht")) {
        EXPECT_TRUE(head.contains("MIME-Version")) << path;
        EXPECT_TRUE(head.toLower().contains("text/html") ||
                    file.readAll().toLower().contains("text/html"))
            << path;
    } else {
        EXPECT_TRUE(head.trimmed().toLower().startsWith("<!doctype html")) << path;
    }
}

// Every entry under `root` that is neither an expected file nor a page's supporting folder.
QStringList unexpectedEntries(const fs::path& root, const QStringList& expected) {
    QStringList extra;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const QString relative = q(fs::relative(it->path(), root));
        if (expected.contains(relative))
            continue;
        if (it->is_directory() && relative.contains("_files")) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory() && !relative.contains(u'/'))
            continue; // a workbook's folder; its files are checked one by one
        extra << relative;
    }
    return extra;
}

TEST(ConvertEndToEnd, EachSheetInAllFourExtensions) {
    REQUIRE_READING_HOST();
    for (const Variant& variant : variants) {
        RealRun run;
        run.addSample();
        run.list();
        run.choose(variant.fileFormat, variant.shortExtension);
        run.form->Combo4->setCurrentIndex(3);
        run.form->Combo5->setEditText(q(run.outRoot.path()));
        run.form->Command6_Click();

        ASSERT_EQ(run.texts().size(), 2) << run.texts().join('\n').toStdString();
        EXPECT_EQ(run.texts()[1], "Convert damaged file failed!");
        const QString ext = QString::fromLatin1(variant.extension);
        QStringList expected;
        for (const char* sheet :
             {"PROFILEDEF", "AXISDEF", "TRAVERSALCHAINAGE", "AXISDATUMLEVELS", "PROFILELEVELS"})
            expected << QStringLiteral("profiles/%1.%2").arg(sheet, ext);
        for (const char* sheet : {"Sheet2", "Sheet1", "Sheet3"})
            expected << QStringLiteral("TestMultiSheet/%1.%2").arg(sheet, ext);
        for (const char* sheet : {"test.csv", "Sheet2", "Sheet3"})
            expected << QStringLiteral("TestDataset/%1.%2").arg(sheet, ext);
        // The chart sheet is no worksheet and gets no page.
        for (const char* sheet : {"Visible", "Hidden", "VeryHidden"})
            expected << QStringLiteral("any_sheets/%1.%2").arg(sheet, ext);
        for (const QString& file : expected)
            expectPage(run.outRoot / file.toStdString(), variant.extension);
        // The damaged workbook's folder stays, empty.
        EXPECT_TRUE(fs::is_empty(run.outRoot / "damaged"));
        expected << "damaged";
        EXPECT_EQ(unexpectedEntries(run.outRoot.path(), expected), QStringList())
            << variant.extension;
        EXPECT_EQ(run.form->mousePointer(), app::MousePointer::Default);
    }
}

TEST(ConvertEndToEnd, WholeWorkbooksInAllFourExtensions) {
    REQUIRE_READING_HOST();
    for (const Variant& variant : variants) {
        RealRun run;
        run.addSample();
        run.list();
        run.form->Option1->setChecked(true);
        run.choose(variant.fileFormat, variant.shortExtension);
        run.form->Command6_Click();

        ASSERT_EQ(run.texts().size(), 2) << run.texts().join('\n').toStdString();
        EXPECT_EQ(run.texts()[1], "Convert damaged file failed!");
        QStringList expected;
        for (const char* name : {"profiles", "TestMultiSheet", "TestDataset", "any_sheets"})
            expected << QStringLiteral("%1.%2").arg(name, variant.extension);
        for (const QString& file : expected)
            expectPage(run.outRoot / file.toStdString(), variant.extension);
        EXPECT_EQ(unexpectedEntries(run.outRoot.path(), expected), QStringList())
            << variant.extension;
    }
}

TEST(ConvertEndToEnd, StoredSheetChoicesAndSequenceNumbers) {
    REQUIRE_READING_HOST();
    RealRun run;
    run.add("xls/xlrd-profiles.xls", "profiles.xls");
    run.add("xlsx/edr-TestMultiSheet.xlsx", "multi.xlsx");
    run.list();
    run.form->Combo1->setCurrentIndex(2);
    // The user kept two sheets of the first workbook.
    app::SheetTable& table = run.test.state->SheetTable;
    const char* names[] = {"PROFILEDEF", "AXISDEF", "TRAVERSALCHAINAGE", "AXISDATUMLEVELS",
                           "PROFILELEVELS"};
    for (int row = 1; row <= 5; ++row) {
        table.set(2, row, 0, names[row - 1]);
        table.set(2, row, 1, row == 2 || row == 5 ? "1" : "");
    }
    run.form->Command6_Click();
    EXPECT_TRUE(run.texts().isEmpty()) << run.texts().join('\n').toStdString();
    const QStringList expected = {"multi/1.htm", "multi/2.htm", "multi/3.htm", "profiles/1.htm",
                                  "profiles/2.htm"};
    for (const QString& file : expected)
        expectPage(run.outRoot / file.toStdString(), "htm");
    EXPECT_EQ(unexpectedEntries(run.outRoot.path(), expected), QStringList());
}

// Sheet names of the fixture: 300 "L"s, "a|b", "ab", "../../escape", ".." and "x:y".
TEST(ConvertEndToEnd, HostileSheetNamesStayInTheWorkbookFolder) {
    REQUIRE_READING_HOST();
    RealRun run;
    fs::copy_file(fs::path(QM_SOURCE_DIR) / "tests/e2e/e2e_convert-hostile-sheet-names.xlsx",
                  run.source / "hostile.xlsx");
    run.list();
    run.test.random.values = {0.5};
    run.form->Command6_Click();
    EXPECT_TRUE(run.texts().isEmpty()) << run.texts().join('\n').toStdString();
    const QStringList expected = {"hostile/" + QString(200, u'L') + ".htm",
                                  "hostile/ab.htm",
                                  "hostile/ab_2.htm",
                                  "hostile/....escape.htm",
                                  "hostile/500001.htm",
                                  "hostile/xy.htm"};
    for (const QString& file : expected)
        expectPage(run.outRoot / file.toStdString(), "htm");
    EXPECT_EQ(unexpectedEntries(run.outRoot.path(), expected), QStringList());
    EXPECT_FALSE(fs::exists(run.outRoot.path().parent_path() / "escape.htm"));
}

// Opt-in: QM_SMALL_FS names a folder on a small file system (a tmpfs of a few hundred
// kilobytes, say), which the test fills before converting.
TEST(ConvertEndToEnd, FullDiskReportsEveryWorkbookAndEndsNormally) {
    REQUIRE_READING_HOST();
    const char* small = std::getenv("QM_SMALL_FS");
    if (!small || !*small)
        GTEST_SKIP() << "set QM_SMALL_FS to a folder on a small file system";
    const fs::path out = fs::path(small) / "qm-full-disk";
    fs::remove_all(out);
    fs::create_directory(out);
    {
        // Fill what is left, but a few bytes.
        std::ofstream filler(out / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    }
    RealRun run;
    run.add("xls/xlrd-profiles.xls", "profiles.xls");
    run.add("xlsx/edr-TestMultiSheet.xlsx", "multi.xlsx");
    run.list();
    run.form->Combo5->setEditText(q(out));
    run.form->Command6_Click();
    const QStringList texts = run.texts();
    EXPECT_TRUE(texts.contains("Convert profiles file failed!")) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts.contains("Convert multi file failed!")) << texts.join('\n').toStdString();
    EXPECT_EQ(run.form->mousePointer(), app::MousePointer::Default);
    EXPECT_EQ(run.test.shell.requests.size(), 1u);
    fs::remove_all(out);
}

} // namespace
