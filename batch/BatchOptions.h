#pragma once
// The command line of quillmere-batch, read into plain values.

#include "convert/OutputOptions.h"

#include <string>
#include <vector>

namespace batch {

struct BatchOptions {
    std::vector<std::string> inputs; // workbook files and folders, as given
    std::string outputFolder;        // the output directory, as given; never empty
    convert::OutputOptions output;   // the same choices the window's option panel makes
    std::vector<std::string>
        sheets;         // per-sheet mode: only worksheets with these names, letter case ignored
    bool quiet = false; // no progress even on a terminal
    int jobs = 1;       // workbooks converted at once, each by a host of its own

    std::string filesFrom;     // a file listing workbooks ("-": standard input); empty: none
    bool nulSeparated = false; // the list's paths end in NUL bytes, not line ends
    bool recursive = false;    // folder inputs give the workbooks of all their subfolders too
    bool mirror = false;       // outputs go under each input's folder relative to its root
    int shardIndex = 1;        // convert only part `shardIndex` (1-based) ...
    int shardCount = 1;        // ... of this many parts of the inputs
    std::string reportFile;    // a file to append one JSON line per workbook to; empty: none
    bool skipDone = false;     // skip workbooks the report shows converted and unchanged since
};

struct ParsedCommandLine {
    enum Outcome { Run, Help, Version, UsageError };
    Outcome outcome = UsageError;
    BatchOptions options; // meaningful for Run
    std::string message;  // what is wrong, for UsageError
};

// Reads `arguments` (the program name first, as main is given them). Every
// mistake, including a missing output directory or input, is a UsageError with a message.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string HelpText();

// The line of --version.
std::string VersionText();

} // namespace batch
