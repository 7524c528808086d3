#pragma once
// The workbooks named on the command line, listed as the window's workbook list would.

#include <QString>
#include <QStringList>
#include <vector>

namespace batch {

struct InputWorkbook {
    QString itemText; // its file name, as the workbook list would show it
    QString path;     // the workbook file
};

struct CollectedInputs {
    std::vector<InputWorkbook> workbooks; // in the order of the inputs
    QStringList missing;                  // inputs that are no workbook file or folder
    QStringList notes;                    // folders left short of their workbooks, for the user
};

// A file input is its own workbook whatever its extension or name; a folder input gives the
// workbooks its listing gives the window (sorted, at most 500, the rest named in a note).
// Relative inputs are made absolute, since the host may not share this process's folder.
CollectedInputs CollectInputs(const QStringList& inputs);

// True when `path` is a regular file now (a hidden one too).
bool IsWorkbookFile(const QString& path);

} // namespace batch
