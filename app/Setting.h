#pragma once
// The settings dialog: which lists are saved when the program closes, kept in set.txt.
// Each opening is a new dialog that shows what set.txt holds at that moment.

#include "app/Services.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace app {

class Setting : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog and loads the check boxes from set.txt in `stateFolder`.
    Setting(const QString& stateFolder, MessageBoxes& messages, QWidget* parent = nullptr);

    QCheckBox* Check1;         // save the source list at exit
    QCheckBox* Check2;         // save the output directory history at exit
    QPushButton* OKButton;     // store and close
    QPushButton* CancelButton; // close without storing

    // Checks each box whose line of set.txt is exactly "1"; a missing line or file leaves it clear.
    void Form_Load();
    // Writes both boxes to set.txt (two lines, "1" or "0") and closes. A file that cannot be
    // written is reported, and the dialog closes without storing.
    void OKButton_Click();
    // Closes; set.txt is not touched.
    void CancelButton_Click();

private:
    int twips(int value) const;

    QString settingsPath_;
    MessageBoxes& messages_;
    double dpi_ = 96.0;
};

} // namespace app
