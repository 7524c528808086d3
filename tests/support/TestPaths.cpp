#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace testing_support {

std::filesystem::path corpusDir() {
    return std::filesystem::path(QM_CORPUS_DIR);
}

std::filesystem::path corpusFile(const std::string& relative) {
    return corpusDir() / relative;
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qm-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; give write access back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

} // namespace testing_support
