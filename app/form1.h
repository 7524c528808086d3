#pragma once
// The main window. Its controls carry the names the rest of the program uses; the handlers'
// bodies live with the subsystem each belongs to (sources/, convert/, outdir/, info/, app/).

#include "app/Services.h"
#include "app/SharedState.h"

#include <QIcon>
#include <QMainWindow>

class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace app {

enum class MousePointer { Default, Hourglass };

// Icons of ImageList1, 1-based as the source list uses them.
enum SourceIcon { WorkbookFileIcon = 1, FolderIcon = 2, MissingPathIcon = 3 };

class form1 : public QMainWindow {
    Q_OBJECT

public:
    form1(SharedState& state, Services& services);

    SharedState& state;
    Services& services;

    // Top row: large buttons with their icon above the caption.
    QToolButton* Command1; // "Add Excel"
    QToolButton* Command5; // "Add Folder"
    QToolButton* Command2; // "Remove File"
    QToolButton* Command6; // "Convert"
    QToolButton* Command8; // "Help"
    QToolButton* Command7; // "HomePage"
    QToolButton* Command9; // "Exit"
    // Source entries and their move buttons.
    QTreeWidget* ListView1;
    QPushButton* Command3; // up
    QPushButton* Command4; // down
    // Option panel.
    QLabel* Label4;
    QComboBox* Combo3; // file format
    QLabel* Label5;
    QComboBox* Combo4; // page title
    QLabel* Label3;
    QComboBox* Combo2; // publish type
    QLabel* Label2;
    QComboBox* Combo1;     // file names
    QRadioButton* Option2; // each sheet
    QRadioButton* Option1; // entire workbook
    QLabel* Label6;
    QFrame* Frame1;
    QRadioButton* Option3; // short extension
    QRadioButton* Option4; // long extension
    // Workbooks and sheets.
    QTreeWidget* ListView2;
    QTreeWidget* ListView3;
    // Status, output directory, progress.
    QLabel* Label1;
    QLabel* Label7;
    QComboBox* Combo5;
    QPushButton* Command10; // "Browse"
    QPushButton* Command11; // "View"
    QProgressBar* ProgressBar1;

    // Menu items.
    QAction* AddExcel;
    QAction* AddFolder;
    QAction* RemoveItem;
    QAction* RemoveAll;
    QAction* Removeoutput;
    QAction* RemoveAllOutput;
    QAction* Separate;
    QAction* Settings;
    QAction* Help1;
    QAction* HomePage;
    QAction* About;

    // ImageList1: sets the small icon (a SourceIcon) of a source entry, and reads it back.
    void setSmallIcon(QTreeWidgetItem* item, int icon) const;
    static int smallIcon(const QTreeWidgetItem* item);

    // The icon theme the window's pictures come from ("" for Qt's standard icons).
    QString iconTheme() const { return iconTheme_; }

    // Pixels for a length in twips at the screen's logical resolution.
    int twips(int value) const;

    // The window's mouse pointer; handlers that take long show the hourglass.
    void setMousePointer(MousePointer pointer);
    MousePointer mousePointer() const { return pointer_; }

    // Start-up: the whole of it, before the window is shown. False when the program must end
    // (the spreadsheet host could not be probed; the user has been told).
    bool Form_Load();
    // Shutdown: saves what set.txt asks for. Runs once, when the window closes.
    void Form_Unload();

    // Handlers, by control and event.
    void Command1_Click();
    void Command5_Click();
    void Command2_Click();
    void Command6_Click();
    void Command8_Click();
    void Command7_Click();
    void Command9_Click();
    void Command3_Click();
    void Command4_Click();
    void Command10_Click();
    void Command11_Click();
    void Combo3_Click();
    void Option1_Click();
    void Option2_Click();
    void ListView1_ItemClick();
    void ListView2_ItemClick();
    void AddExcel_Click();
    void AddFolder_Click();
    void RemoveItem_Click();
    void RemoveAll_Click();
    void Removeoutput_Click();
    void RemoveAllOutput_Click();
    void Separate_Click();
    void Settings_Click();
    void Help1_Click();
    void HomePage_Click();
    void About_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void describeControls();
    void connectHandlers();

    QIcon sourceIcons_[3]; // ImageList1
    QString iconTheme_;
    MousePointer pointer_ = MousePointer::Default;
    bool unloaded_ = false;
    double dpi_ = 96.0;
};

} // namespace app
