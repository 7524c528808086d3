#pragma once
// One quillmere-batch run: the window's conversions over the command line's workbooks.

#include "batch/BatchOptions.h"
#include "batch/Reporter.h"

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

// Prepares the output directory, collects the inputs, names every workbook's output and
// converts them, options.jobs at a time (each job in a host of its own), reporting to
// `errors` a line at a time. SomeFailed when the output directory cannot be made, an input is
// missing or any workbook failed (a --sheets list matching none of its worksheets included); else
// AllConverted. With more than one job, `automation` is used from several threads at once.
int RunBatch(const BatchOptions& options, automation::Factory& automation, app::Random& random,
             const Reporter::LineSink& errors, bool progress);

} // namespace batch
