#pragma once
// One quillmere-batch run: the window's conversion run over the command line's workbooks.

#include "batch/BatchOptions.h"

#include <QTextStream>

namespace app {
class Random;
}
namespace automation {
class Factory;
}

namespace batch {

// Exit statuses.
inline constexpr int AllConverted = 0;
inline constexpr int SomeFailed = 1;
inline constexpr int UsageFailed = 2;

// Prepares the output directory, collects the inputs and converts them in runs of at most 500
// workbooks (the sheet table's columns), reporting on `errors`. SomeFailed when the output
// directory cannot be made, an input is missing or any workbook failed; else AllConverted.
int RunBatch(const BatchOptions& options, automation::Factory& automation, app::Random& random,
             QTextStream& errors, bool progress);

} // namespace batch
