#pragma once
// What the conversion of one workbook needs and gives back, free of the window so that the
// window and a command-line tool convert alike.

#include "convert/OutputOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {
class Random;
struct SharedState;
} // namespace app
namespace automation {
class Factory;
}

namespace convert {

// Results of ConvertWholeWorkbook and ConvertSheetsOfWorkbook; only Converted is a success.
enum ConversionResult {
    Converted = 1,      // done to the end
    HostFailed = 2,     // the spreadsheet host raised an error (in the outcome's description)
    NoWorkbookFile = 3, // no workbook file for the position; nothing was done
};

struct ConversionOutcome {
    int result = Converted;
    std::string errorDescription;     // the host's description when result is HostFailed
    std::vector<std::string> written; // the output files written, in order
};

// Where a run shows its progress and its failures: the window's status line, progress bar and
// message boxes, or a command-line tool's terminal.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // The workbook now being converted, by display name.
    virtual void converting(const std::string& displayName) = 0;
    // A description of a failure raised by the spreadsheet host.
    virtual void hostError(const std::string& description) = 0;
    // A workbook that could not be converted, by display name; the run goes on.
    virtual void workbookFailed(const std::string& displayName) = 0;
};

// One workbook to convert, as the workbook list shows it.
struct WorkbookJob {
    std::int32_t position = 0; // 1-based position in the workbook list; the sheet table's column
    std::string itemText;      // its text in the list, e.g. "Sales Report.xls"
    std::string path;          // the workbook file; empty when there is none
};

// Everything the conversions read and change besides the workbook itself.
struct ConversionContext {
    automation::Factory& automation;
    app::Random& random;
    // SheetTable (read), OutputFolder (read), WorkbookOutputFolder (read, set by the run) and
    // FileSequenceNumber (read and written).
    app::SharedState& state;
    RunObserver& observer;
    OutputOptions options;
    // Per-sheet mode: when set, a worksheet is published only when this accepts its name, on
    // top of the sheet table's choices; unset, the sheet table alone decides.
    std::function<bool(const std::string& sheetName)> publishesSheet = {};
    // Per-sheet mode: when set, the host is asked for all worksheet names at once and given
    // many sheets to publish per request (AddSheets) rather than one call sequence per sheet,
    // without selecting each sheet. The pages and their names are the same; a failure takes
    // back only what the failed request had not finished. The window keeps the call sequence
    // and progress of one sheet at a time; the batch program sets it.
    bool publishInGroups = false;
};

// Saves the whole workbook as one page or archive at WorkbookOutputFolder plus the extension.
ConversionOutcome ConvertWholeWorkbook(ConversionContext& context, const WorkbookJob& job);

// Publishes the workbook's chosen worksheets, one page each, into the folder
// WorkbookOutputFolder (which must exist); the sheet table's column for the workbook says which
// (every worksheet when the column holds no rows). FileSequenceNumber goes back to 0 when the
// workbook completes and keeps its value when it fails.
ConversionOutcome ConvertSheetsOfWorkbook(ConversionContext& context, const WorkbookJob& job);

} // namespace convert
