#pragma once
// What kind of failure a workbook's error is, for the machine-readable report.

#include <string>
#include <string_view>

namespace batch {

// One of: "encrypted", "damaged", "unreadable" (not a workbook this program reads, missing or
// not readable), "timed out" (the host did not answer in time), "host stopped" (the host ended
// or answered nonsense), "no sheet" (--sheets matched none), "output" (the output could not
// be written), or "other". Read from the description the host or the client gave.
std::string FailureKind(std::string_view description);

} // namespace batch
