#pragma once
// The workbooks of a whole folder tree, for --recursive.

#include <string>
#include <vector>

namespace batch {

// The workbooks below `root` (bytes, as the system names it), each as its path below `root`:
// ordinary files (or links to them) whose extension begins with "xls" or "xlt" or is "ods" or
// "fods", in any letter case. Hidden (dot) files and folders are left out, as the window leaves
// them out, and links to folders are not followed, so the walk stays inside the tree and ends.
// In each folder its workbooks come first, then its subfolders, each sorted by name ignoring
// letter case (as FoldedCase compares), equal folded names in byte order. Folders that cannot be
// read give nothing.
std::vector<std::string> ListWorkbookTree(const std::string& root);

} // namespace batch
