#include "app/form1.h"

#include "app/ChoiceBox.h"
#include "app/IconSet.h"
#include "outdir/OutputDirBox.h"
#include "sources/CheckBoxClicks.h"
#include "sources/SelectionClicks.h"
#include "sources/SingleChoiceList.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

namespace app {
namespace {

// Where each control sits, in twips from the top left corner of its parent's client area.
struct Placement {
    const char* name;
    int left, top, width, height;
};

constexpr Placement controlTable[] = {
    {"Command1", 120, 0, 1210, 975},      {"Command5", 1440, 0, 1210, 975},
    {"Command2", 2760, 0, 1330, 975},     {"Command6", 5040, 0, 1090, 975},
    {"Command8", 6240, 0, 970, 975},      {"Command7", 7320, 0, 1210, 975},
    {"Command9", 8640, 0, 970, 975},      {"ListView1", 120, 1080, 9255, 2055},
    {"Command3", 9480, 1320, 370, 610},   {"Command4", 9480, 2160, 370, 610},
    {"Label4", 120, 3240, 975, 255},      {"Combo3", 1200, 3240, 3015, 330},
    {"Label5", 4440, 3240, 855, 255},     {"Combo4", 5400, 3240, 4215, 330},
    {"Label3", 120, 3600, 975, 255},      {"Combo2", 1200, 3600, 3015, 330},
    {"Label2", 4440, 3600, 495, 255},     {"Combo1", 5400, 3600, 4215, 330},
    {"Option2", 120, 4080, 2655, 250},    {"Option1", 2760, 4080, 1500, 250},
    {"Label6", 4440, 4080, 1575, 255},    {"Frame1", 6000, 3960, 3615, 405},
    {"Option3", 120, 120, 1090, 250},     {"Option4", 1320, 120, 970, 250},
    {"ListView2", 120, 4440, 4815, 2775}, {"ListView3", 5040, 4440, 4575, 2775},
    {"Label1", 120, 7200, 6975, 255},     {"Label7", 120, 7560, 1935, 255},
    {"Combo5", 2160, 7560, 5655, 330},    {"Command10", 7920, 7560, 975, 325},
    {"Command11", 9000, 7560, 855, 325},  {"ProgressBar1", 120, 7920, 9735, 255},
};

constexpr int clientWidthTwips = 9960;
constexpr int clientHeightTwips = 8220;

const Placement& placementOf(const QString& name) {
    for (const Placement& placement : controlTable)
        if (name == QLatin1String(placement.name))
            return placement;
    static const Placement none{"", 0, 0, 0, 0};
    return none;
}

QFont makeFont(const char* family, double points) {
    QFont result(QString::fromLatin1(family));
    result.setPointSizeF(points);
    return result;
}

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

constexpr int smallIconRole = Qt::UserRole + 1;

} // namespace

form1::form1(SharedState& sharedState, Services& serviceBundle)
    : state(sharedState), services(serviceBundle) {
    setObjectName(QStringLiteral("form1"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi_ = screen->logicalDotsPerInchY();
    setWindowTitle(QStringLiteral("Quillmere"));
    setWindowIcon(themeIcon("x-office-spreadsheet", QStyle::SP_FileIcon));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(makeFont("Arial", 8.25));
    createControls();
    describeControls();
    createMenus();
    connectHandlers();
    setFixedSize(twips(clientWidthTwips),
                 twips(clientHeightTwips) + menuBar()->sizeHint().height());
}

int form1::twips(int value) const {
    return qRound(value * dpi_ / 1440.0);
}

void form1::createControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));
    setCentralWidget(client);

    auto place = [this](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        const Placement& p = placementOf(widget->objectName());
        widget->setGeometry(twips(p.left), twips(p.top), twips(p.width), twips(p.height));
        widget->show();
    };
    // Every picture of the window from one theme: the seven large buttons at 32 pixels, the
    // arrows and the source list's icons at 16.
    enum {
        AddExcelIcon,
        AddFolderIcon,
        RemoveIcon,
        ConvertIcon,
        HelpIcon,
        HomeIcon,
        ExitIcon,
        UpIcon,
        DownIcon,
        FileEntryIcon,
        FolderEntryIcon,
        MissingEntryIcon
    };
    const std::vector<QIcon> icons = IconsFromOneTheme(
        {
            {"document-open", QStyle::SP_DialogOpenButton, 32},
            {"folder-open", QStyle::SP_DirOpenIcon, 32},
            {"edit-delete", QStyle::SP_TrashIcon, 32},
            {"system-run", QStyle::SP_MediaPlay, 32},
            {"help-browser", QStyle::SP_DialogHelpButton, 32},
            {"go-home", QStyle::SP_DirHomeIcon, 32},
            {"application-exit", QStyle::SP_DialogCloseButton, 32},
            {"go-up", QStyle::SP_ArrowUp, 16},
            {"go-down", QStyle::SP_ArrowDown, 16},
            {"x-office-spreadsheet", QStyle::SP_FileIcon, 16},
            {"folder", QStyle::SP_DirIcon, 16},
            {"dialog-question", QStyle::SP_MessageBoxQuestion, 16},
        },
        &iconTheme_);
    sourceIcons_[0] = icons[FileEntryIcon];
    sourceIcons_[1] = icons[FolderEntryIcon];
    sourceIcons_[2] = icons[MissingEntryIcon];

    const QFont largeButtonFont = makeFont("Arial", 9.75);
    auto largeButton = [&](const char* name, const char* caption, const QIcon& icon) {
        auto* button = new QToolButton(client);
        button->setText(QString::fromLatin1(caption));
        button->setFont(largeButtonFont);
        button->setIcon(icon);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        place(button, name);
        return button;
    };
    Command1 = largeButton("Command1", "Add Excel", icons[AddExcelIcon]);
    Command5 = largeButton("Command5", "Add Folder", icons[AddFolderIcon]);
    Command2 = largeButton("Command2", "Remove File", icons[RemoveIcon]);
    Command6 = largeButton("Command6", "Convert", icons[ConvertIcon]);
    Command8 = largeButton("Command8", "Help", icons[HelpIcon]);
    Command7 = largeButton("Command7", "HomePage", icons[HomeIcon]);
    Command9 = largeButton("Command9", "Exit", icons[ExitIcon]);

    // The source and workbook lists each hold one choice that decides the lists below them.
    auto listView = [&](const char* name, const char* caption, bool singleChoice) {
        QTreeWidget* list =
            singleChoice ? new sources::SingleChoiceList(client) : new QTreeWidget(client);
        list->setColumnCount(1);
        list->setHeaderLabels({QString::fromLatin1(caption)});
        list->setRootIsDecorated(false);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->header()->setStretchLastSection(false);
        list->header()->setSectionsMovable(false);
        place(list, name);
        return list;
    };
    ListView1 = listView("ListView1", "Please Select the Excel File or Folder to Convert", true);
    ListView1->setIconSize(QSize(16, 16));

    const QFont arrowFont = makeFont("MS Sans Serif", 8.25);
    auto arrowButton = [&](const char* name, const QIcon& icon) {
        auto* button = new QPushButton(client);
        button->setFont(arrowFont);
        button->setIcon(icon);
        button->setIconSize(QSize(16, 16));
        place(button, name);
        return button;
    };
    Command3 = arrowButton("Command3", icons[UpIcon]);
    Command4 = arrowButton("Command4", icons[DownIcon]);

    auto label = [&](const char* name, const QString& caption) {
        auto* result = new QLabel(caption, client);
        // The status line shows workbook names, which are never markup.
        result->setTextFormat(Qt::PlainText);
        place(result, name);
        return result;
    };
    auto dropDownList = [&](const char* name) {
        auto* combo = new ChoiceBox(client);
        combo->setEditable(false);
        place(combo, name);
        return combo;
    };
    Label4 = label("Label4", QStringLiteral("File Format:"));
    Combo3 = dropDownList("Combo3");
    Label5 = label("Label5", QStringLiteral("Page Title:"));
    Combo4 = dropDownList("Combo4");
    Label3 = label("Label3", QStringLiteral("HTML Type:"));
    Combo2 = dropDownList("Combo2");
    Label2 = label("Label2", QStringLiteral("Name:"));
    Combo1 = dropDownList("Combo1");

    Option2 = new QRadioButton(QStringLiteral("Convert each Sheet to html file"), client);
    place(Option2, "Option2");
    Option1 = new QRadioButton(QStringLiteral("Entire Workbook"), client);
    place(Option1, "Option1");
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(Option2);
    modeGroup->addButton(Option1);
    Label6 = label("Label6", QStringLiteral("File Extension Name:"));
    Frame1 = new QFrame(client);
    Frame1->setFrameShape(QFrame::NoFrame);
    place(Frame1, "Frame1");
    Option3 = new QRadioButton(QStringLiteral("htm"), Frame1);
    place(Option3, "Option3");
    Option4 = new QRadioButton(QStringLiteral("html"), Frame1);
    place(Option4, "Option4");
    auto* extensionGroup = new QButtonGroup(this);
    extensionGroup->addButton(Option3);
    extensionGroup->addButton(Option4);

    ListView2 = listView("ListView2", "WorkBooks", true);
    ListView3 = listView("ListView3", "WorkSheets", false);

    const QFont statusFont = makeFont("Arial", 9);
    Label1 = label("Label1", QString());
    Label1->setFont(statusFont);
    Label7 = label("Label7", QStringLiteral("Select  output directory:"));
    Label7->setFont(statusFont);
    Combo5 = new ChoiceBox(client);
    Combo5->setEditable(true);
    // Typed text is never added to the history; only Browse adds entries.
    Combo5->setInsertPolicy(QComboBox::NoInsert);
    place(Combo5, "Combo5");
    Command10 = new QPushButton(QStringLiteral("Browse"), client);
    Command10->setFont(statusFont);
    place(Command10, "Command10");
    Command11 = new QPushButton(QStringLiteral("View"), client);
    Command11->setFont(statusFont);
    place(Command11, "Command11");
    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    place(ProgressBar1, "ProgressBar1");
}

void form1::createMenus() {
    // Each caption carries an Alt shortcut; Qt shows it underlined, so the caption reads as
    // written.
    auto item = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QMenu* EE = menuBar()->addMenu(QStringLiteral("&File"));
    EE->setObjectName(QStringLiteral("EE"));
    AddExcel = item(EE, "AddExcel", "Add &Excel");
    AddFolder = item(EE, "AddFolder", "Add &Folder");
    QMenu* FF = menuBar()->addMenu(QStringLiteral("&Edit"));
    FF->setObjectName(QStringLiteral("FF"));
    RemoveItem = item(FF, "RemoveItem", "Remove &Item");
    RemoveAll = item(FF, "RemoveAll", "Remove &All Items");
    Removeoutput = item(FF, "Removeoutput", "Remove &Current Output Directory");
    RemoveAllOutput = item(FF, "RemoveAllOutput", "Remove All &Output Directory");
    QMenu* Actions = menuBar()->addMenu(QStringLiteral("&Actions"));
    Actions->setObjectName(QStringLiteral("Actions"));
    Separate = item(Actions, "Separate", "&Convert");
    Settings = item(Actions, "Settings", "&Settings");
    QMenu* Help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    Help1 = item(Help, "Help1", "&Help");
    HomePage = item(Help, "HomePage", "Home&Page");
    About = item(Help, "About", "&About");
}

void form1::connectHandlers() {
    auto onClick = [this](QAbstractButton* button, void (form1::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(Command1, &form1::Command1_Click);
    onClick(Command5, &form1::Command5_Click);
    onClick(Command2, &form1::Command2_Click);
    onClick(Command6, &form1::Command6_Click);
    onClick(Command8, &form1::Command8_Click);
    onClick(Command7, &form1::Command7_Click);
    onClick(Command9, &form1::Command9_Click);
    onClick(Command3, &form1::Command3_Click);
    onClick(Command4, &form1::Command4_Click);
    onClick(Command10, &form1::Command10_Click);
    onClick(Command11, &form1::Command11_Click);
    connect(Combo3, &QComboBox::currentIndexChanged, this, &form1::Combo3_Click);
    connect(Option1, &QRadioButton::clicked, this, &form1::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &form1::Option2_Click);
    connect(ListView1, &QTreeWidget::itemClicked, this, &form1::ListView1_ItemClick);
    connect(ListView2, &QTreeWidget::itemClicked, this, &form1::ListView2_ItemClick);
    // Before the check-box handling, which then sees mouse events first.
    sources::ReportSelectionChangesAsClicks(ListView1, [this] { ListView1_ItemClick(); });
    sources::ReportSelectionChangesAsClicks(ListView2, [this] { ListView2_ItemClick(); });
    sources::KeepCheckBoxClicksApart(ListView2);
    sources::KeepCheckBoxClicksApart(ListView3);
    outdir::MakeTypingChangeOnlyTheText(Combo5);

    auto onTrigger = [this](QAction* action, void (form1::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    onTrigger(AddExcel, &form1::AddExcel_Click);
    onTrigger(AddFolder, &form1::AddFolder_Click);
    onTrigger(RemoveItem, &form1::RemoveItem_Click);
    onTrigger(RemoveAll, &form1::RemoveAll_Click);
    onTrigger(Removeoutput, &form1::Removeoutput_Click);
    onTrigger(RemoveAllOutput, &form1::RemoveAllOutput_Click);
    onTrigger(Separate, &form1::Separate_Click);
    onTrigger(Settings, &form1::Settings_Click);
    onTrigger(Help1, &form1::Help1_Click);
    onTrigger(HomePage, &form1::HomePage_Click);
    onTrigger(About, &form1::About_Click);
}

void form1::setSmallIcon(QTreeWidgetItem* item, int icon) const {
    item->setData(0, smallIconRole, icon);
    switch (icon) {
    case WorkbookFileIcon:
        item->setIcon(0, sourceIcons_[0]);
        break;
    case FolderIcon:
        item->setIcon(0, sourceIcons_[1]);
        break;
    default:
        item->setIcon(0, sourceIcons_[2]);
        break;
    }
}

int form1::smallIcon(const QTreeWidgetItem* item) {
    return item->data(0, smallIconRole).toInt();
}

void form1::setMousePointer(MousePointer pointer) {
    pointer_ = pointer;
    if (pointer == MousePointer::Hourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void form1::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}

// The option panel.

void form1::Combo3_Click() {
    if (Combo3->currentIndex() == 0) {
        Label3->setText(QStringLiteral("HTML Type:"));
        Option3->setText(QStringLiteral("htm"));
        Option4->setText(QStringLiteral("html"));
    } else {
        Label3->setText(QStringLiteral("MHT Type:"));
        Option3->setText(QStringLiteral("mht"));
        Option4->setText(QStringLiteral("mhtml"));
    }
}

void form1::Option1_Click() {
    Combo1->setEnabled(false);
    Combo2->setEnabled(false);
    Combo4->setEnabled(false);
    ListView3->setEnabled(false);
}

void form1::Option2_Click() {
    Combo1->setEnabled(true);
    Combo2->setEnabled(true);
    Combo4->setEnabled(true);
    ListView3->setEnabled(true);
}

void form1::Command9_Click() {
    close();
}

// Menu items that share a command button's handler.

void form1::AddExcel_Click() {
    Command1_Click();
}
void form1::AddFolder_Click() {
    Command5_Click();
}
void form1::RemoveItem_Click() {
    Command2_Click();
}
void form1::Separate_Click() {
    Command6_Click();
}
void form1::Help1_Click() {
    Command8_Click();
}
void form1::HomePage_Click() {
    Command7_Click();
}

} // namespace app
