// What the window's controls tell assistive technology: a name and a description for each,
// labels tied to the boxes they name, tooltips on the icon buttons.

#include "app/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

namespace app {
namespace {

// A name where neither a caption, a list's column header nor a label beside the control gives
// one; a description for every control. Captions and labels stay the names wherever they
// exist, so what is read out is what is shown.
struct AccessibleText {
    const char* control;
    const char* name; // nullptr: the caption or the label beside the control
    const char* description;
};

constexpr AccessibleText accessibleTexts[] = {
    {"Command1", nullptr, "Add workbook files to the source list"},
    {"Command5", nullptr, "Add a folder of workbooks to the source list"},
    {"Command2", nullptr, "Remove the selected entry from the source list"},
    {"Command6", nullptr, "Convert the checked workbooks of the selected source to web pages"},
    {"Command8", nullptr, "Open the user manual"},
    {"Command7", nullptr, "Open the home page in the web browser"},
    {"Command9", nullptr, "Close Quillmere"},
    {"ListView1", nullptr,
     "Workbook files and folders to convert; the selected one fills the workbook list"},
    {"Command3", "Move Up", "Move the selected source one place up"},
    {"Command4", "Move Down", "Move the selected source one place down"},
    {"Combo3", nullptr, "Web page or single-file web page"},
    {"Combo4", nullptr, "How the title of each page is formed"},
    {"Combo2", nullptr, "What each published sheet contains"},
    {"Combo1", nullptr, "How the file of each published sheet is named"},
    {"Option2", nullptr, "Convert mode: one page for each checked sheet"},
    {"Option1", nullptr, "Convert mode: one page for each workbook"},
    {"Frame1", "File Extension Name", "The extension of the pages written"},
    {"Option3", nullptr, "The short file extension"},
    {"Option4", nullptr, "The long file extension"},
    {"ListView2", nullptr,
     "Workbooks of the selected source; the checked ones are converted, the selected one "
     "fills the sheet list"},
    {"ListView3", nullptr,
     "Worksheets of the selected workbook; the checked ones are "
     "published"},
    // Named by its own interface, below: a fixed name would stop its changes being announced.
    {"Label1", nullptr, "What the conversion run is doing"},
    {"Combo5", nullptr, "The folder the pages are written to; type a path or pick one"},
    {"Command10", nullptr, "Choose the output directory with a folder picker"},
    {"Command11", nullptr, "Open the output directory in the file manager"},
    {"ProgressBar1", "Conversion progress", "How far the conversion run has got"},
};

// Marks the label whose interface is the status line's.
constexpr const char* statusLineProperty = "quillmereStatusLine";

// The status line is named "Status" with what it says after it, so that it has a name while
// no run is going on and a screen reader still hears each change of its text.
class StatusLineAccessible : public QAccessibleWidget {
public:
    explicit StatusLineAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name)
            return QAccessibleWidget::text(kind);
        const QString shown = static_cast<const QLabel*>(widget())->text();
        return shown.isEmpty() ? QStringLiteral("Status") : QStringLiteral("Status: ") + shown;
    }
};

QAccessibleInterface* statusLineFactory(const QString& className, QObject* object) {
    // Asked for every object of the program: the cheap test first.
    if (className != u"QLabel")
        return nullptr;
    auto* label = qobject_cast<QLabel*>(object);
    if (label == nullptr || !label->property(statusLineProperty).toBool())
        return nullptr;
    return new StatusLineAccessible(label);
}

} // namespace

void form1::describeControls() {
    // The status line's name is computed by its own interface (above), not fixed here.
    static const bool installed = [] {
        QAccessible::installFactory(statusLineFactory);
        return true;
    }();
    (void)installed;
    Label1->setProperty(statusLineProperty, true);

    Label4->setBuddy(Combo3);
    Label5->setBuddy(Combo4);
    Label3->setBuddy(Combo2);
    Label2->setBuddy(Combo1);
    Label6->setBuddy(Frame1);
    Label7->setBuddy(Combo5);

    QWidget* client = centralWidget();
    for (const AccessibleText& text : accessibleTexts) {
        auto* control = client->findChild<QWidget*>(QString::fromLatin1(text.control));
        if (control == nullptr)
            continue;
        const QString description = QString::fromLatin1(text.description);
        control->setAccessibleDescription(description);
        if (text.name != nullptr)
            control->setAccessibleName(QString::fromLatin1(text.name));
        // A list's caption is its column header.
        if (auto* list = qobject_cast<QTreeWidget*>(control))
            list->setAccessibleName(list->headerItem()->text(0));
        if (qobject_cast<QToolButton*>(control) != nullptr)
            control->setToolTip(description);
    }
    // The arrow buttons show nothing but their icon.
    Command3->setToolTip(QStringLiteral("Move Up: ") + Command3->accessibleDescription());
    Command4->setToolTip(QStringLiteral("Move Down: ") + Command4->accessibleDescription());
}

} // namespace app
