#pragma once
// Where tests find the shared corpus and a scratch folder of their own.

#include <filesystem>
#include <string>

namespace testing_support {

// The corpus folder of real workbooks (read only).
std::filesystem::path corpusDir();

// `relative` inside the corpus, e.g. "xls/xlrd-profiles.xls".
std::filesystem::path corpusFile(const std::string& relative);

// A fresh, empty folder removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace testing_support
