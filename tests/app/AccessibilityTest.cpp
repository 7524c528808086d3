// What the window and the About box tell assistive technology, read through Qt's accessibility
// interfaces: every control named and described, labels tied to their boxes, shortcuts in the
// menus, and links that work from the keyboard.

#include "info/Dialog1.h"
#include "info/LinkLabel.h"
#include "tests/gui_support/Window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using testing_support::TestWindow;

std::string s(const QString& text) {
    return text.toStdString();
}

QAccessibleInterface* accessible(QObject* object) {
    QAccessibleInterface* result = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(result, nullptr) << s(object->objectName());
    return result;
}

// The name a screen reader announces for a control: its own, or for a box that takes its
// name from the label beside it (as combo boxes do on this platform), that label's.
QString announcedName(QWidget* control) {
    QAccessibleInterface* self = accessible(control);
    if (qobject_cast<QComboBox*>(control) != nullptr) {
        const auto labels = self->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return self->text(QAccessible::Name);
}

TEST(Accessibility, EveryControlOfTheWindowIsNamedAndDescribed) {
    TestWindow test;
    app::form1& form = test.loaded();
    const std::pair<QWidget*, QString> expected[] = {
        {form.Command1, "Add Excel"},
        {form.Command5, "Add Folder"},
        {form.Command2, "Remove File"},
        {form.Command6, "Convert"},
        {form.Command8, "Help"},
        {form.Command7, "HomePage"},
        {form.Command9, "Exit"},
        {form.ListView1, "Please Select the Excel File or Folder to Convert"},
        {form.Command3, "Move Up"},
        {form.Command4, "Move Down"},
        {form.Combo3, "File Format:"},
        {form.Combo4, "Page Title:"},
        {form.Combo2, "HTML Type:"},
        {form.Combo1, "Name:"},
        {form.Option2, "Convert each Sheet to html file"},
        {form.Option1, "Entire Workbook"},
        {form.Frame1, "File Extension Name"},
        {form.Option3, "htm"},
        {form.Option4, "html"},
        {form.ListView2, "WorkBooks"},
        {form.ListView3, "WorkSheets"},
        {form.Label1, "Status"},
        {form.Combo5, "Select  output directory:"},
        {form.Command10, "Browse"},
        {form.Command11, "View"},
        {form.ProgressBar1, "Conversion progress"},
    };
    for (const auto& [control, name] : expected) {
        EXPECT_EQ(s(announcedName(control)), s(name)) << s(control->objectName());
        EXPECT_FALSE(accessible(control)->text(QAccessible::Description).isEmpty())
            << s(control->objectName());
    }
    // Every control of the client area is in the table above.
    for (QWidget* widget :
         form.centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLabel*>(widget) != nullptr && widget != form.Label1)
            continue;
        const bool listed = std::any_of(std::begin(expected), std::end(expected),
                                        [&](const auto& row) { return row.first == widget; });
        EXPECT_TRUE(listed) << s(widget->objectName());
    }
}

TEST(Accessibility, NamesFollowWhatTheControlsShow) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.Combo3->setCurrentIndex(1);
    EXPECT_EQ(s(announcedName(form.Combo2)), "MHT Type:");
    EXPECT_EQ(s(accessible(form.Option4)->text(QAccessible::Name)), "mhtml");
    EXPECT_EQ(accessible(form.Label1)->role(), QAccessible::StatusBar);
    form.Label1->setText(QStringLiteral("Converting Book1 …"));
    EXPECT_EQ(s(accessible(form.Label1)->text(QAccessible::Name)), "Status: Converting Book1 …");
    // The boxes still tell their value.
    EXPECT_EQ(accessible(form.Combo3)->text(QAccessible::Value), form.Combo3->currentText());
}

TEST(Accessibility, IconButtonsHaveTooltips) {
    TestWindow test;
    app::form1& form = test.loaded();
    const QList<QAbstractButton*> iconButtons = {form.Command1, form.Command5, form.Command2,
                                                 form.Command6, form.Command8, form.Command7,
                                                 form.Command9, form.Command3, form.Command4};
    for (QAbstractButton* button : iconButtons)
        EXPECT_FALSE(button->toolTip().isEmpty()) << s(button->objectName());
    EXPECT_TRUE(form.Command3->toolTip().startsWith(QStringLiteral("Move Up")));
    EXPECT_TRUE(form.Command4->toolTip().startsWith(QStringLiteral("Move Down")));
}

TEST(Accessibility, MenusHaveAltShortcutsAndReadAsBefore) {
    TestWindow test;
    app::form1& form = test.loaded();
    const std::pair<const char*, QStringList> menus[] = {
        {"File", {"Add Excel", "Add Folder"}},
        {"Edit",
         {"Remove Item", "Remove All Items", "Remove Current Output Directory",
          "Remove All Output Directory"}},
        {"Actions", {"Convert", "Settings"}},
        {"Help", {"Help", "HomePage", "About"}},
    };
    const QList<QAction*> bar = form.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    QSet<QKeySequence> barKeys;
    for (int m = 0; m < 4; ++m) {
        const QAction* menu = bar[m];
        EXPECT_EQ(s(QString(menu->text()).remove(u'&')), menus[m].first);
        const QKeySequence key = QKeySequence::mnemonic(menu->text());
        EXPECT_FALSE(key.isEmpty()) << menus[m].first;
        EXPECT_FALSE(barKeys.contains(key)) << menus[m].first;
        barKeys.insert(key);
        QSet<QKeySequence> itemKeys;
        const QList<QAction*> items = menu->menu()->actions();
        ASSERT_EQ(items.size(), menus[m].second.size());
        for (int i = 0; i < items.size(); ++i) {
            EXPECT_EQ(s(QString(items[i]->text()).remove(u'&')), s(menus[m].second[i]));
            const QKeySequence itemKey = QKeySequence::mnemonic(items[i]->text());
            EXPECT_FALSE(itemKey.isEmpty()) << s(items[i]->text());
            EXPECT_FALSE(itemKeys.contains(itemKey)) << s(items[i]->text());
            itemKeys.insert(itemKey);
        }
    }
}

TEST(Accessibility, AboutBoxLinksWorkFromTheKeyboard) {
    TestWindow test;
    info::Dialog1 box(test.shell);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.activateWindow();
    EXPECT_TRUE(box.OKButton->hasFocus());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), box.Label2);
    EXPECT_TRUE(box.Label2->font().underline());
    QTest::keyClick(box.Label2, Qt::Key_Return);
    QTest::keyClick(box.Label2, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), box.Label8);
    EXPECT_FALSE(box.Label2->font().underline());
    QTest::keyClick(box.Label8, Qt::Key_Space);
    ASSERT_EQ(test.shell.requests.size(), 2u);
    EXPECT_TRUE(test.shell.requests[0].file.startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(test.shell.requests[1].file.startsWith(QStringLiteral("https:")));
    EXPECT_TRUE(box.isVisible()); // Return on a link follows it; it does not press OK

    // Assistive technology sees two links it can press, named by their addresses and tied to
    // their captions.
    for (info::LinkLabel* link : {box.Label2, box.Label8}) {
        QAccessibleInterface* self = accessible(link);
        EXPECT_EQ(self->role(), QAccessible::Link);
        EXPECT_EQ(self->text(QAccessible::Name), link->text());
        EXPECT_FALSE(self->text(QAccessible::Description).isEmpty());
        EXPECT_FALSE(self->relations(QAccessible::Label).isEmpty());
        ASSERT_NE(self->actionInterface(), nullptr);
        self->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    EXPECT_EQ(test.shell.requests.size(), 4u);
    EXPECT_EQ(test.shell.requests[3].file, test.shell.requests[1].file);
}

} // namespace
