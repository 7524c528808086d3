#pragma once
// What a page's place held before the host was asked to write the page, so that a write that
// fails can take away what it left there: a stray page, supporting files and the host's
// temporary files. What was there before stays.
//
// It looks only at the names the write can use, never at the rest of the page's folder: a run
// that publishes thousands of sheets into one folder pays the same for its last page as for
// its first.

#include <string>
#include <unordered_set>
#include <vector>

namespace convert {

// The names in a folder, hidden ones included, as the file system's bytes; a seam so that tests
// can count the listings.
using FolderEntries = std::vector<std::string> (*)(const std::string& folder);
std::vector<std::string> ListFolderEntries(const std::string& folder);

// "<page name>_files" beside `pagePath`, where the host puts the page's supporting files: the
// page's name up to its last ".", in its folder made absolute and free of "." and ".." steps.
std::string SupportingFolder(const std::string& pagePath);

class PartialOutput {
public:
    // Looks at `pagePath`, the host's temporary names for it and the folder
    // "<page name>_files" beside it (listed only when it exists, as it then holds another
    // page's files).
    explicit PartialOutput(const std::string& pagePath, FolderEntries list = ListFolderEntries);

    // Removes what appeared at those places since; the supporting folder too when it is new
    // and left empty. Only to be called once the host has ended.
    void removeAdded() const;

    // True when a file other than the one there before now stands at the page's place: the
    // host puts a page there only once it is complete, so the write finished.
    bool placed() const;

private:
    FolderEntries list_;
    std::string page_;
    std::string supporting_; // "<page name>_files" beside the page
    bool pageExisted_ = false;
    // What stood at the page's place: device and inode, as a rename brings a new one.
    unsigned long long pageDevice_ = 0;
    unsigned long long pageInode_ = 0;
    bool supportingExisted_ = false;
    std::vector<std::string> newTemporaries_; // the host's temporary names that were free
    std::unordered_set<std::string> inSupporting_;
};

} // namespace convert
