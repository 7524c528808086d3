// The production pickers, driven on the offscreen platform: each answers with what the user
// picked, and is set up to behave as the pickers are meant to.

#include "dialogs/QtSystemDialogs.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

using testing_support::q;

using testing_support::ScratchDir;

// Runs `user` on the file dialog once it shows.
void whenShown(std::function<void(QFileDialog&)> user) {
    QTimer::singleShot(0, [user] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        user(*dialog);
    });
}

TEST(QtFileDialogs, OpenOneExistingWorkbook) {
    ScratchDir dir;
    std::ofstream(dir / "Book1.XLS") << "x";
    dialogs::QtSystemDialogs system;
    whenShown([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Excel File"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(dialog.testOption(QFileDialog::HideNameFilterDetails));
        EXPECT_EQ(dialog.nameFilters(),
                  QStringList({"Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb) (*.[xX][lL]*)"}));
        dialog.setDirectory(q(dir.path()));
        dialog.selectFile(q(dir / "Book1.XLS"));
        static_cast<QDialog&>(dialog).accept();
    });
    const auto chosen =
        system.openFile(nullptr, {QStringLiteral("Select Excel File"),
                                  QStringLiteral("Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb)"),
                                  QStringLiteral("*.xl*"), QString(), QString()});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, q(dir / "Book1.XLS"));
}

TEST(QtFileDialogs, CancelAnswersNothing) {
    dialogs::QtSystemDialogs system;
    whenShown([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(system.openFile(nullptr, {}).has_value());
    whenShown([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(system.pickFolder(nullptr, QStringLiteral("Output Folder")).has_value());
    whenShown([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(system.saveFile(nullptr, {}).has_value());
}

TEST(QtFileDialogs, PickAFolder) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "My Out Ü");
    dialogs::QtSystemDialogs system;
    whenShown([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Output Folder"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        dialog.setDirectory(q(dir.path()));
        dialog.selectFile(q(dir / "My Out Ü"));
        static_cast<QDialog&>(dialog).accept();
    });
    const auto picked = system.pickFolder(nullptr, QStringLiteral("Output Folder"));
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(*picked, q(dir / "My Out Ü"));
}

TEST(QtFileDialogs, SaveWithoutOverwriteQuestion) {
    ScratchDir dir;
    std::ofstream(dir / "exists.htm") << "x";
    dialogs::QtSystemDialogs system;
    whenShown([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog.directory().absolutePath(), q(dir.path()));
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Web (*.[hH][tT][mM] *.[hH][tT][mM][lL])"}));
        dialog.selectFile(q(dir / "exists.htm"));
        static_cast<QDialog&>(dialog).accept();
    });
    const auto chosen =
        system.saveFile(nullptr, {QStringLiteral("Save"), {"Web (*.htm *.html)"}, q(dir.path())});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, q(dir / "exists.htm"));
}

} // namespace
