// The colour, font and printer dialogs of CCommonDialogs: what each dialog is asked, which
// properties a confirmation changes, and that a cancel changes none.

#include "dialogs/CCommonDialogs.h"
#include "dialogs/QtSystemDialogs.h"
#include "tests/gui_support/Doubles.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using testing_support::ScriptedDialogs;

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;

struct Dialogs {
    ScriptedDialogs system;
    dialogs::CCommonDialogs common{system};
    Dialogs() { common.Init(nullptr); }
};

TEST(ShowColor, StartsFromColorAndSetsItOnlyWhenConfirmed) {
    Dialogs d;
    // Red in the low byte, then green, then blue.
    d.common.Color(0x00336699);
    d.system.colorAnswers = {QColor(0x12, 0x34, 0x56), std::nullopt};
    EXPECT_EQ(d.common.ShowColor(False), True);
    EXPECT_EQ(d.common.Color(), 0x00563412);
    EXPECT_EQ(d.common.ShowColor(True), False);
    EXPECT_EQ(d.common.Color(), 0x00563412);
    ASSERT_EQ(d.system.colorRequests.size(), 2u);
    EXPECT_EQ(d.system.colorRequests[0].first, QColor(0x99, 0x66, 0x33));
    EXPECT_FALSE(d.system.colorRequests[0].second);
    EXPECT_EQ(d.system.colorRequests[1].first, QColor(0x12, 0x34, 0x56));
    EXPECT_TRUE(d.system.colorRequests[1].second);
}

TEST(ShowColor, AHighByteIsNoColour) {
    Dialogs d;
    d.common.Color(static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(d.common.ShowColor(False), False);
    EXPECT_EQ(d.system.colorRequests.at(0).first, QColor(0x0F, 0, 0));
    EXPECT_EQ(d.common.Color(), static_cast<std::int32_t>(0x8000000F));
}

dialogs::FontChoice choice(const char* family, int tenths, bool bold, bool italic) {
    return dialogs::FontChoice{QString::fromLatin1(family), tenths, bold, italic};
}

TEST(ShowFont, SizeComesInWholePointsWithTheRemainderDropped) {
    struct Row {
        int tenths;
        std::int16_t points;
    } rows[] = {{105, 10}, {120, 12}, {99, 9}, {10, 1}, {9, 0}, {0, 0}, {16389, 1638}};
    for (const Row& row : rows) {
        Dialogs d;
        d.system.fontAnswers = {choice("Arial", row.tenths, false, false)};
        EXPECT_EQ(d.common.ShowFont(), True);
        EXPECT_EQ(d.common.FontSize(), row.points) << row.tenths;
    }
}

TEST(ShowFont, ConfirmedSetsNameBoldItalicAndKeepsUnderlineAndColor) {
    Dialogs d;
    d.common.FontName(QStringLiteral("Courier New"));
    d.common.FontSize(12);
    d.common.FontBold(False);
    d.common.FontItalic(True);
    d.common.FontUnderline(True);
    d.common.Color(0x0000FF);
    d.system.fontAnswers = {choice("Liberation Serif", 145, true, false)};
    EXPECT_EQ(d.common.ShowFont(), True);
    ASSERT_EQ(d.system.fontRequests.size(), 1u);
    const QFont& asked = d.system.fontRequests[0];
    EXPECT_EQ(asked.family(), QStringLiteral("Courier New"));
    EXPECT_EQ(asked.pointSize(), 12);
    EXPECT_FALSE(asked.bold());
    EXPECT_TRUE(asked.italic());
    EXPECT_TRUE(asked.underline());
    EXPECT_EQ(d.common.FontName(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(d.common.FontSize(), 14);
    EXPECT_EQ(d.common.FontBold(), True);
    EXPECT_EQ(d.common.FontItalic(), False);
    EXPECT_EQ(d.common.FontUnderline(), True);
    EXPECT_EQ(d.common.Color(), 0x0000FF);
}

TEST(ShowFont, CancelChangesNothing) {
    Dialogs d;
    d.common.FontName(QStringLiteral("Arial"));
    d.common.FontSize(9);
    d.common.FontBold(True);
    EXPECT_EQ(d.common.ShowFont(), False);
    EXPECT_EQ(d.common.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(d.common.FontSize(), 9);
    EXPECT_EQ(d.common.FontBold(), True);
    EXPECT_EQ(d.common.FontItalic(), False);
}

TEST(ShowFont, FaceNamesHoldAtMost31Characters) {
    Dialogs d;
    const QString longName = QStringLiteral("FontFamilyNameWellBeyondThirtyOneCharacters");
    d.common.FontName(longName);
    d.system.fontAnswers = {
        dialogs::FontChoice{longName, 100, false, false},
        dialogs::FontChoice{QStringLiteral("Short") + QChar(u'\0') + "tail", 100, false, false}};
    EXPECT_EQ(d.common.ShowFont(), True);
    EXPECT_EQ(d.system.fontRequests.at(0).family(), longName.left(31));
    EXPECT_EQ(d.common.FontName(), longName.left(31));
    EXPECT_EQ(d.common.ShowFont(), True);
    EXPECT_EQ(d.common.FontName(), QStringLiteral("Short"));
}

TEST(ShowPrinter, ReturnsWhatTheDialogSays) {
    Dialogs d;
    d.system.printAnswer = true;
    EXPECT_EQ(d.common.ShowPrinter(), True);
    d.system.printAnswer = false;
    EXPECT_EQ(d.common.ShowPrinter(), False);
    EXPECT_EQ(d.system.printDialogs, 2);
}

TEST(ShowPrinterProperties, NoDefaultPrinterIsFalseWithoutADialog) {
    Dialogs d;
    d.system.printer.clear();
    d.system.propertiesAnswer = true;
    EXPECT_EQ(d.common.ShowPrinterProperties(), False);
    EXPECT_TRUE(d.system.propertiesRequests.isEmpty());
}

TEST(ShowPrinterProperties, ShowsTheDefaultPrintersSheet) {
    Dialogs d;
    d.system.printer = QStringLiteral("Office Laser");
    d.system.propertiesAnswer = true;
    EXPECT_EQ(d.common.ShowPrinterProperties(), True);
    d.system.propertiesAnswer = false;
    EXPECT_EQ(d.common.ShowPrinterProperties(), False);
    EXPECT_EQ(d.system.propertiesRequests,
              QStringList({QStringLiteral("Office Laser"), QStringLiteral("Office Laser")}));
}

// The production dialogs, driven while they are open.
template <typename Dialog> void whenOpen(const std::function<void(Dialog&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

TEST(QtColorDialog, CustomColoursNeverCarryOver) {
    dialogs::QtSystemDialogs system;
    QColorDialog::setCustomColor(0, QColor(Qt::red));
    bool allBlack = false;
    whenOpen<QColorDialog>([&](QColorDialog& dialog) {
        allBlack = true;
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            allBlack = allBlack && QColorDialog::customColor(i) == QColor(Qt::black);
        EXPECT_EQ(dialog.currentColor(), QColor(0x10, 0x20, 0x30));
        QColorDialog::setCustomColor(3, QColor(Qt::green));
        dialog.setCurrentColor(QColor(0x40, 0x50, 0x60));
        dialog.accept();
    });
    EXPECT_EQ(system.pickColor(nullptr, QColor(0x10, 0x20, 0x30), false), QColor(0x40, 0x50, 0x60));
    EXPECT_TRUE(allBlack);
    EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::black));

    whenOpen<QColorDialog>([](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(Qt::blue));
        dialog.reject();
    });
    EXPECT_EQ(system.pickColor(nullptr, QColor(Qt::white), true), std::nullopt);
}

TEST(QtFontDialog, ReportsTenthsOfAPointAndStyle) {
    dialogs::QtSystemDialogs system;
    QFont initial(QStringLiteral("Liberation Sans"));
    initial.setPointSize(12);
    initial.setBold(true);
    whenOpen<QFontDialog>([](QFontDialog& dialog) {
        EXPECT_EQ(dialog.currentFont().pointSize(), 12);
        EXPECT_TRUE(dialog.currentFont().bold());
        QFont chosen(QStringLiteral("Liberation Sans"));
        chosen.setPointSize(14);
        chosen.setItalic(true);
        chosen.setBold(false);
        dialog.setCurrentFont(chosen);
        dialog.accept();
    });
    const std::optional<dialogs::FontChoice> result = system.pickFont(nullptr, initial);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->family.isEmpty());
    EXPECT_TRUE(result->italic);
    EXPECT_FALSE(result->bold);
    EXPECT_EQ(result->pointSizeTenths, 140);

    whenOpen<QFontDialog>([](QFontDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(system.pickFont(nullptr, initial), std::nullopt);
}

} // namespace
