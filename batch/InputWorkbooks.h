#pragma once
// The workbooks named on the command line, listed as the window's workbook list would.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace batch {

// Kept small, since an archive's list may hold millions: its other names are parts of `path`.
struct InputWorkbook {
    std::string path;           // the workbook file, absolute, as bytes (a name need not be UTF-8)
    std::size_t relativeAt = 0; // where its path below its root begins in `path`
    std::optional<std::string> relativeApart; // that path when it is no part of `path` (a listed
                                              // "../x.xls")

    // Its file name, as the workbook list would show it.
    std::string itemText() const;
    // Its path below its root: below its folder INPUT, a file INPUT's name, or a listed path as
    // listed (without a leading "/", "./" or "../").
    std::string relative() const;
};

// How the inputs beyond the window's are found.
struct InputRules {
    bool recursive = false; // folders give their whole tree, without the window's limit
    std::string filesFrom;  // a list of workbook paths ("-": standard input); empty: none
    bool nulSeparated = false;
};

struct CollectedInputs {
    std::vector<InputWorkbook> workbooks; // in the order of the inputs, then of the list
    std::vector<std::string> missing;     // inputs that are no workbook file or folder
    std::vector<std::string> empty;       // folder inputs that gave no workbook
    std::vector<std::string> notes;       // folders left short of their workbooks, for the user
    std::string listError;                // why the --files-from list was not read whole
};

// A file input is its own workbook whatever its extension or name; a folder input gives the
// workbooks its listing gives the window (sorted, at most 500, the rest named in a note), or,
// with `rules.recursive`, every workbook of its tree. The listed paths follow, unchecked: a
// conversion finds out when one is no workbook file. Relative inputs are made absolute, since
// the host may not share this process's folder.
CollectedInputs CollectInputs(const std::vector<std::string>& inputs, const InputRules& rules = {});

// True when `path` (as InputWorkbook::path holds it) is a regular file now (a hidden one too).
bool IsWorkbookFile(const std::string& path);

} // namespace batch
