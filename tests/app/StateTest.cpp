// The state files' line rules and the sheet table's bounds.

#include "app/SheetTable.h"
#include "app/StateFiles.h"
#include "automation/Error.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>
#include <gtest/gtest.h>

namespace {

QString write(const testing_support::ScratchDir& dir, const std::string& bytes) {
    const auto path = dir / "state.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return QString::fromStdString(path.string());
}

TEST(StateFiles, LineRules) {
    testing_support::ScratchDir dir;
    struct Row {
        std::string bytes;
        QStringList lines;
    } rows[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},     // a final terminator adds no line
        {"a\r\n\r\nb", {"a", "", "b"}}, // an empty line in the middle is a value
        {"a\nb\n", {"a", "b"}},         // LF alone too
        {"1 \r\n0", {"1 ", "0"}},       // blanks are kept
        {"\xEF\xBB\xBF"
         "1\r\n",
         {QString(QChar(0xFEFF)) + "1"}}, // a byte-order mark is content
        {"caf\xC3\xA9\r\n", {QString::fromUtf8("caf\xC3\xA9")}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(app::readStateLines(write(dir, row.bytes)), row.lines);
    EXPECT_EQ(app::readStateLines(QString::fromStdString((dir / "missing.txt").string())),
              QStringList());
    // Invalid UTF-8 is read, not rejected.
    EXPECT_EQ(app::readStateLines(write(dir, "\xFF\xFE\r\nok")).size(), 2);
}

TEST(StateFiles, EveryByteThatIsNotUtf8SurvivesReadAndWrite) {
    testing_support::ScratchDir dir;
    const std::string samples[] = {
        "caf\xE9",                          // a Western code page letter
        "\xC3",                             // a sequence cut short at the end of the line
        "\xC3(",                            // and in the middle
        "\xC0\x80",                         // an overlong NUL
        "\xE0\x80\xAF",                     // an overlong slash
        "\xED\xA0\x80",                     // an encoded surrogate
        "\xF4\x90\x80\x80",                 // past U+10FFFF
        "\xF0\x9F\x98",                     // a four-byte sequence cut short
        "\x80\xBF\xFE\xFF",                 // bytes that never start a sequence
        "ok \xE2\x82\xAC \xF0\x9F\x98\x80", // valid UTF-8 next to nothing odd
        "\xEF\xBB\xBF"
        "1", // a byte-order mark
    };
    for (const std::string& sample : samples) {
        const QStringList lines = app::readStateLines(write(dir, sample + "\r\n"));
        ASSERT_EQ(lines.size(), 1) << sample;
        EXPECT_FALSE(lines[0].contains(QChar(0xFFFD))) << sample;
        const QString copy = QString::fromStdString((dir / "copy.txt").string());
        ASSERT_TRUE(app::writeStateLines(copy, lines));
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray::fromStdString(sample + "\r\n")) << sample;
    }
    // Valid text reads as itself and shows as itself.
    const QString valid = app::readStateLines(write(dir, "ok \xE2\x82\xAC\r\n")).value(0);
    EXPECT_EQ(valid, QStringLiteral("ok €"));
    EXPECT_EQ(app::StateTextForDisplay(valid), valid);
    // Kept bytes show in the Western code page; the one undefined there as U+FFFD.
    EXPECT_EQ(app::StateTextForDisplay(app::readStateLines(write(dir, "\xE9 \x80\x81")).value(0)),
              QStringLiteral("é €\uFFFD"));
}

TEST(StateFiles, WritesCrLfAndKeepsTheOldFileWhenItCannotWrite) {
    testing_support::ScratchDir dir;
    const QString path = QString::fromStdString((dir / "EXCEL.txt").string());
    ASSERT_TRUE(app::writeStateLines(path, {"a", "", "b"}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\r\n\r\nb\r\n"));
    file.close();
    QString error;
    EXPECT_FALSE(app::writeStateLines(QString::fromStdString((dir / "none" / "x.txt").string()),
                                      {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(StateFiles, AnInstalledOrReadOnlyProgramKeepsStateInTheUsersFolder) {
    testing_support::ScratchDir dir;
    const QString home = QString::fromStdString((dir / "config").string());
    qputenv("XDG_CONFIG_HOME", home.toUtf8());
    const QString config = home + "/Quillmere";
    const QString program = QString::fromStdString(dir.path().string());
    EXPECT_EQ(app::stateFolder(program), program);
    // Even where this user may write, as root may in /usr.
    for (const char* installed : {"/usr/lib", "/usr/bin"}) {
        const QString folder = app::stateFolder(QString::fromUtf8(installed));
        EXPECT_EQ(folder, config) << installed;
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    const QString readOnly = QString::fromStdString((dir / "ro").string());
    ASSERT_TRUE(QDir().mkdir(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(readOnly).isWritable()) { // root writes anywhere
        EXPECT_EQ(app::stateFolder(readOnly), config);
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(SheetTable, EveryCellStartsEmptyAndBoundsAreErrors) {
    auto table = std::make_unique<app::SheetTable>();
    EXPECT_EQ(table->at(500, 5000, 1), std::string());
    table->set(3, 2, 0, "Sheet2");
    table->set(3, 2, 1, "1");
    EXPECT_EQ(table->at(3, 2, 0), "Sheet2");
    EXPECT_EQ(table->at(3, 1, 0), std::string());
    for (auto [column, row, plane] :
         {std::tuple{501, 1, 0}, {-1, 1, 0}, {1, 5001, 0}, {1, -1, 0}, {1, 1, 2}}) {
        EXPECT_THROW(table->at(column, row, plane), automation::Error);
        try {
            table->set(column, row, plane, "x");
            FAIL();
        } catch (const automation::Error& error) {
            EXPECT_EQ(error.number(), 9);
        }
    }
    table->clear();
    EXPECT_EQ(table->at(3, 2, 0), std::string());
    EXPECT_EQ(table->allocatedRows(), 0u);
}

TEST(SheetTable, OnlyFilledRowsCostMemory) {
    app::SheetTable table;
    for (int row = 1; row <= 5000; ++row)
        table.set(7, row, 0, "Sheet" + std::to_string(row));
    table.set(9, 4000, 1, std::string()); // writing empty text allocates nothing
    EXPECT_EQ(table.allocatedRows(), 5001u);
    EXPECT_EQ(table.at(7, 5000, 0), "Sheet5000");
}

} // namespace
