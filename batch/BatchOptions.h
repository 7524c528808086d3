#pragma once
// The command line of quillmere-batch, read into plain values.

#include "convert/OutputOptions.h"

#include <QString>
#include <QStringList>

namespace batch {

struct BatchOptions {
    QStringList inputs;            // workbook files and folders, as given
    QString outputFolder;          // the output directory, as given; never empty
    convert::OutputOptions output; // the same choices the window's option panel makes
    QStringList sheets; // per-sheet mode: only worksheets with these names, letter case ignored
    bool quiet = false; // no progress even on a terminal
    int jobs = 1;       // workbooks converted at once, each by a host of its own
};

struct ParsedCommandLine {
    enum Outcome { Run, Help, Version, UsageError };
    Outcome outcome = UsageError;
    BatchOptions options; // meaningful for Run
    QString message;      // what is wrong, for UsageError
};

// Reads `arguments` (the program name first, as QCoreApplication::arguments gives it). Every
// mistake, including a missing output directory or input, is a UsageError with a message.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The text of --help.
QString HelpText();

// The line of --version.
QString VersionText();

} // namespace batch
