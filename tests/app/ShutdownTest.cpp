// Shutdown: set.txt read at that moment decides which lists are written, and how; a state file
// that cannot be written keeps its old content and is reported.

#include "app/Setting.h"
#include "tests/gui_support/Window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using testing_support::TestWindow;

const QByteArray oldSources = "/old/source.xls\r\n";
const QByteArray oldHistory = "/old/output\r\n";

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A loaded window whose lists hold `sources` and `directories`, with old state files on disk.
app::form1& windowWithLists(TestWindow& test, const QStringList& sources,
                            const QStringList& directories) {
    writeBytes(test.programFile("EXCEL.txt"), oldSources);
    writeBytes(test.programFile("output.txt"), oldHistory);
    app::form1& form = test.loaded();
    form.ListView1->clear();
    for (const QString& source : sources)
        form.ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{source}));
    form.Combo5->clear();
    form.Combo5->addItems(directories);
    return form;
}

QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

TEST(Shutdown, OnlyTheExactTextOneSwitchesASettingOn) {
    struct Row {
        const char* name;
        QByteArray settings; // set.txt's bytes; "missing" for no file
        bool sources;
        bool history;
    } rows[] = {
        {"both on", "1\r\n1\r\n", true, true},
        {"sources only", "1\r\n0\r\n", true, false},
        {"history only", "0\r\n1\r\n", false, true},
        {"one line", "1\r\n", true, false},
        {"no terminator", "1\r\n1", true, true},
        {"LF only", "1\n1\n", true, true},
        {"empty first line", "\r\n1\r\n", false, true},
        {"empty file", "", false, false},
        {"missing", "missing", false, false},
        {"trailing blank", "1 \r\n1\r\n", false, true},
        {"trailing tab", "1\t\r\n1\r\n", false, true},
        {"leading blank", " 1\r\n 1\r\n", false, false},
        {"leading zero", "01\r\n1\r\n", false, true},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "1\r\n1\r\n",
         false, true},
        {"true", "true\r\n-1\r\n", false, false},
        {"stray carriage return", "1\r\r\n1\r\n", false, true},
        {"binary junk",
         QByteArray("\x00\x01\xFF\xFE"
                    "1\r\n\x80\x00"
                    "1\r\n",
                    14),
         false, false},
    };
    const QStringList sources{"/data/a.xls", "/data/folder", "/data/b.xlsx"};
    const QStringList directories{"/out/new", "/out/old"};
    for (const Row& row : rows) {
        TestWindow test;
        if (row.settings != "missing")
            writeBytes(test.programFile("set.txt"), row.settings);
        app::form1& form = windowWithLists(test, sources, directories);
        form.Command9->click();
        EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), row.sources ? crlfLines(sources) : oldSources)
            << row.name;
        EXPECT_EQ(test.stateFileBytes("output.txt"),
                  row.history ? crlfLines(directories) : oldHistory)
            << row.name;
        EXPECT_TRUE(test.messages.messages.empty()) << row.name;
    }
}

TEST(Shutdown, HistoryKeepsAtMost201EntriesAndNeverTypedText) {
    for (int count : {0, 1, 200, 201, 202, 250}) {
        TestWindow test;
        test.writeStateFile("set.txt", {"0", "1"});
        QStringList directories;
        for (int i = 0; i < count; ++i)
            directories << QStringLiteral("/out/%1").arg(i);
        app::form1& form = windowWithLists(test, {}, directories);
        // The selection and typed text are not history.
        if (count > 2)
            form.Combo5->setCurrentIndex(2);
        form.Combo5->setEditText(QStringLiteral("/typed/not/added"));
        form.close();
        EXPECT_EQ(test.stateFileBytes("output.txt"), crlfLines(directories.mid(0, 201))) << count;
    }
}

TEST(Shutdown, AnEmptySourceListEmptiesTheFile) {
    TestWindow test;
    test.writeStateFile("set.txt", {"1", "1"});
    app::form1& form = windowWithLists(test, {}, {});
    form.close();
    EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), QByteArray());
    EXPECT_EQ(test.stateFileBytes("output.txt"), QByteArray());
    EXPECT_TRUE(QFile::exists(test.programFile("EXCEL.txt")));
}

TEST(Shutdown, EntriesKeepTheirTextsExactly) {
    TestWindow test;
    test.writeStateFile("set.txt", {"1", "0"});
    const QStringList sources{"", QString::fromUtf8("/d\xC3\xA9p\xC3\xB4t/\xE8\xA1\xA8.xls"),
                              " /padded ", "/missing/but/kept.xls"};
    app::form1& form = windowWithLists(test, sources, {});
    form.close();
    EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), crlfLines(sources));
}

TEST(Shutdown, ASettingChangedInTheDialogCountsAtOnce) {
    TestWindow test;
    test.writeStateFile("set.txt", {"0", "0"});
    app::form1& form = windowWithLists(test, {"/data/new.xls"}, {"/out"});
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<app::Setting*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        dialog->Check1->click();
        dialog->OKButton->click();
    });
    form.Settings->trigger();
    ASSERT_TRUE(seen);
    form.Command9->click();
    EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), crlfLines({"/data/new.xls"}));
    EXPECT_EQ(test.stateFileBytes("output.txt"), oldHistory);
}

TEST(Shutdown, ExitAndTheCloseBoxSaveOnce) {
    TestWindow test;
    test.writeStateFile("set.txt", {"1", "1"});
    app::form1& form = windowWithLists(test, {"/a.xls"}, {"/out"});
    form.Command9->click();
    // Whatever happens to the window afterwards, the lists were saved as they stood.
    QFile::remove(test.programFile("EXCEL.txt"));
    form.close();
    EXPECT_FALSE(QFile::exists(test.programFile("EXCEL.txt")));
}

TEST(Shutdown, FilesThatCannotBeWrittenAreReportedInOneMessage) {
    TestWindow test;
    test.writeStateFile("set.txt", {"1", "1"});
    app::form1& form = windowWithLists(test, {"/a.xls"}, {"/out"});
    // A folder standing where each file goes cannot be replaced, even by the superuser.
    QFile::remove(test.programFile("EXCEL.txt"));
    QFile::remove(test.programFile("output.txt"));
    ASSERT_TRUE(QDir().mkdir(test.programFile("EXCEL.txt")));
    ASSERT_TRUE(QDir().mkdir(test.programFile("output.txt")));
    form.close();
    ASSERT_EQ(test.messages.messages.size(), 1u);
    const QString text = test.messages.messages[0].text;
    EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Critical);
    EXPECT_TRUE(text.contains(test.programFile("EXCEL.txt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(test.programFile("output.txt"))) << text.toStdString();
}

// Lowers the largest file this process may write, as a full disk would, until it goes away.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST(Shutdown, BytesThatAreNotUtf8AreWrittenBackAsTheyWereRead) {
    TestWindow test;
    // A list carried over from the first platform, in its Western code page: "Café", "Müller
    // 20€", a byte that page leaves undefined, and a broken UTF-8 sequence after a good one.
    const QByteArray sources = "/data/Caf\xE9.xls\r\n/data/M\xFCller 20\x80\r\n/x\x81y\r\n"
                               "/ok/\xC3\xA9\xC3(\r\n";
    const QByteArray history = "/web/\xE9t\xE9\r\n/web/plain\r\n";
    writeBytes(test.programFile("set.txt"), "1\r\n1\r\n");
    writeBytes(test.programFile("EXCEL.txt"), sources);
    writeBytes(test.programFile("output.txt"), history);
    app::form1& form = test.loaded();

    // The window shows the code page's letters, never a replacement character for them.
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 4);
    EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0), QStringLiteral("/data/Café.xls"));
    EXPECT_EQ(form.ListView1->topLevelItem(1)->text(0), QStringLiteral("/data/Müller 20€"));
    EXPECT_EQ(form.ListView1->topLevelItem(2)->text(0), QStringLiteral("/x\uFFFDy"));
    EXPECT_EQ(form.Combo5->itemText(0), QStringLiteral("/web/été"));
    EXPECT_EQ(form.Combo5->currentText(), QStringLiteral("/web/été"));

    // An entry added in this run with the same look is the user's text, written as UTF-8.
    form.ListView1->addTopLevelItem(
        new QTreeWidgetItem(QStringList{QStringLiteral("/data/Café.xls")}));
    form.close();
    EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), sources + "/data/Caf\xC3\xA9.xls\r\n");
    EXPECT_EQ(test.stateFileBytes("output.txt"), history);
}

TEST(Shutdown, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    TestWindow test;
    test.writeStateFile("set.txt", {"1", "0"});
    QStringList sources;
    for (int i = 0; i < 2000; ++i)
        sources << QStringLiteral("/data/a/rather/long/path/to/workbook-%1.xlsx").arg(i);
    app::form1& form = windowWithLists(test, sources, {});
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        form.close();
    }
    EXPECT_EQ(test.stateFileBytes("EXCEL.txt"), oldSources);
    ASSERT_EQ(test.messages.messages.size(), 1u);
    EXPECT_TRUE(test.messages.messages[0].text.contains("EXCEL.txt"));
    // No half-written temporary file is left beside it.
    const QStringList left = QDir(test.services->stateFolder).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({"EXCEL.txt", "output.txt", "set.txt"}));
}

} // namespace
