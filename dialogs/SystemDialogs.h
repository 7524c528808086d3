#pragma once
// The system's common dialogs, as one seam: production shows Qt's dialogs, tests script the
// user's answer. Every method returns std::nullopt when the user cancels.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace dialogs {

struct OpenRequest {
    QString title;       // window caption; empty for the system's default
    QString filterName;  // e.g. "Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb)"
    QString pattern;     // e.g. "*.xl*"
    QString initialFile; // preselected file name, may be empty
    // Added to a typed name without extension; empty for none.
    QString defaultExtension;
};

struct SaveRequest {
    QString title;
    QStringList filters; // "description (pattern)" entries, first selected
    QString initialFolder;
};

struct FontChoice {
    QString family;
    int pointSizeTenths = 0; // size in tenths of a point
    bool bold = false;
    bool italic = false;
};

class SystemDialogs {
public:
    virtual ~SystemDialogs() = default;
    // One existing file; returns its full path.
    virtual std::optional<QString> openFile(QWidget* owner, const OpenRequest& request) = 0;
    // A file name to save to (existing or not, no overwrite question); returns its full path.
    virtual std::optional<QString> saveFile(QWidget* owner, const SaveRequest& request) = 0;
    // A folder, starting with nothing preselected; `instruction` is shown to the user.
    // Returns the folder's path, or an empty string for a pick that is not a folder.
    virtual std::optional<QString> pickFolder(QWidget* owner, const QString& instruction) = 0;
    // A colour; `fullOpen` shows the custom-colour part at once.
    virtual std::optional<QColor> pickColor(QWidget* owner, QColor initial, bool fullOpen) = 0;
    // A font, starting from `initial` (face, size in points, bold, italic, underline).
    virtual std::optional<FontChoice> pickFont(QWidget* owner, const QFont& initial) = 0;
    // The print dialog (no selection, no page numbers, no print to file); true when confirmed.
    virtual bool printDialog(QWidget* owner) = 0;
    // The default printer's name, empty when there is none.
    virtual QString defaultPrinter() = 0;
    // The properties sheet of `printer`; true when confirmed.
    virtual bool printerProperties(QWidget* owner, const QString& printer) = 0;
};

} // namespace dialogs
