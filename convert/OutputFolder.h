#pragma once
// The output directory of a run and the output folder of each workbook in it.

#include <functional>
#include <string>
#include <string_view>

namespace convert {

enum class PrepareResult {
    Ready,         // the folder exists (or was just created); it ends in one "/"
    NoFolderGiven, // the text is empty
    FolderMissing, // a remembered folder that no longer exists
    CreateFailed,  // a typed folder that could not be created
};

// Validates the output directory box's text into `OutputFolder`. `listIndex` is the box's list
// index: -1 when the text was typed, in which case a missing last level is created; a missing
// remembered folder is never recreated. On Ready, `OutputFolder` is the folder without its
// trailing separators and with one "/" appended.
PrepareResult PrepareOutputFolder(std::string_view boxText, int listIndex,
                                  std::string& OutputFolder);

// The message that tells the user why preparation failed; empty for Ready.
std::string PrepareMessage(PrepareResult result);

// The display name of a workbook listed as `itemText`: without its extension, blanks and dots.
std::string DisplayName(std::string_view itemText);

// `OutputFolder` followed by `displayName`, moved on while `taken` says so by appending 1, 2,
// 3 … to what it has become (Sales, Sales1, Sales12, Sales123 …). Stops, with the last
// candidate, should the candidate outgrow any path a file system takes.
std::string ChooseWorkbookFolder(std::string_view OutputFolder, std::string_view displayName,
                                 const std::function<bool(const std::string&)>& taken);

// Creates one folder level at `path`. False when it exists already, its parent is missing or
// it cannot be written.
bool CreateFolder(const std::string& path);

} // namespace convert
