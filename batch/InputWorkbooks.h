#pragma once
// The workbooks named on the command line, listed as the window's workbook list would, and
// served to the conversion run in groups that fit the sheet table.

#include "convert/ConversionRun.h"

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

// A file input is its own workbook whatever its extension; a folder input gives the workbooks
// its listing gives the window (sorted, at most 500, the rest named in a note). Relative
// inputs are made absolute, since the host may not share this process's folder.
CollectedInputs CollectInputs(const QStringList& inputs);

// Positions first..first+count-1 of `workbooks` as a workbook list whose every item is
// checked; a workbook file gone since it was listed has no path.
class InputGroup : public convert::WorkbookSource {
public:
    InputGroup(const std::vector<InputWorkbook>& workbooks, int first, int count);
    int count() const override { return count_; }
    QString itemText(int position) const override;
    bool checked(int) const override { return true; }
    QString pathAt(int position) const override;

private:
    const std::vector<InputWorkbook>& workbooks_;
    int first_;
    int count_;
};

} // namespace batch
