#pragma once
// The spreadsheet application's major version from its Version text.

#include <QString>

namespace app {

// Cuts the text at its last ".", reads the leading number of the rest and rounds it to the
// nearest integer (halves to even): "11.0" gives 11, "11" gives 11, "" or "abc" gives 0.
int MajorVersion(const QString& versionText);

} // namespace app
