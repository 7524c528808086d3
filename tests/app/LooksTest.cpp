// How the window looks: whole choices in the drop-down lists' popups, one theme and one size
// for the pictures, captions of the large buttons on one line, and the fixed window size.

#include "app/ChoiceBox.h"
#include "tests/gui_support/Window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using testing_support::TestWindow;

std::string s(const QString& text) {
    return text.toStdString();
}

TEST(Looks, DropDownPopupsShowWholeChoices) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Combo5->addItem(QStringLiteral("/home/someone/Documents/Reports/Published/2026/Quarter "
                                        "four/Web pages for the board"));
    for (QComboBox* box : {form.Combo1, form.Combo2, form.Combo3, form.Combo4, form.Combo5}) {
        ASSERT_GT(box->count(), 0) << s(box->objectName());
        box->showPopup();
        QAbstractItemView* list = box->view();
        for (int row = 0; row < box->count(); ++row) {
            const QModelIndex index = list->model()->index(row, box->modelColumn());
            const int needed = list->sizeHintForIndex(index).width();
            EXPECT_GE(list->viewport()->width(), needed) << s(box->itemText(row));
        }
        box->hidePopup();
    }
    // The box keeps its width; its tooltip shows the choice whole.
    form.Combo3->setCurrentIndex(1);
    EXPECT_EQ(s(form.Combo3->toolTip()), "Single File Web Page (*.mht; *mhtml)");
}

TEST(Looks, PicturesComeFromOneThemeAtOneSize) {
    TestWindow test;
    app::form1& form = test.loaded();
    // The build machine installs a full-colour theme; without one, Qt's own icons stand in.
    EXPECT_FALSE(form.iconTheme().isEmpty());
    for (QToolButton* button : {form.Command1, form.Command5, form.Command2, form.Command6,
                                form.Command8, form.Command7, form.Command9}) {
        EXPECT_EQ(button->iconSize(), QSize(32, 32));
        EXPECT_EQ(button->icon().availableSizes(), QList<QSize>({QSize(32, 32)}))
            << s(button->text());
        EXPECT_FALSE(button->icon().isNull());
    }
    for (QPushButton* arrow : {form.Command3, form.Command4})
        EXPECT_EQ(arrow->icon().availableSizes(), QList<QSize>({QSize(16, 16)}));
    auto* entry = new QTreeWidgetItem(QStringList{QStringLiteral("/x")});
    form.ListView1->addTopLevelItem(entry);
    for (int icon : {app::WorkbookFileIcon, app::FolderIcon, app::MissingPathIcon}) {
        form.setSmallIcon(entry, icon);
        EXPECT_EQ(entry->icon(0).availableSizes(), QList<QSize>({QSize(16, 16)}));
    }
}

TEST(Looks, LargeButtonCaptionsFitOnOneLine) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    for (QToolButton* button : {form.Command1, form.Command5, form.Command2, form.Command6,
                                form.Command8, form.Command7, form.Command9}) {
        const QSize needed = button->sizeHint();
        EXPECT_LE(needed.width(), button->width()) << s(button->text());
        EXPECT_LE(needed.height(), button->height()) << s(button->text());
        EXPECT_FALSE(button->text().contains(u'\n'));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(button->height(), form.Command1->height());
    }
}

TEST(Looks, WindowKeepsItsFixedSize) {
    TestWindow test;
    app::form1& form = test.loaded();
    EXPECT_EQ(form.centralWidget()->size(), QSize(form.twips(9960), form.twips(8220)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.Combo3->geometry(),
              QRect(form.twips(1200), form.twips(3240), form.twips(3015), form.twips(330)));
}

} // namespace
