#pragma once
// The corpus's tables (manifest.tsv, expectations.tsv) as rows of fields.

#include <string>
#include <vector>

namespace testing_support {

// The rows of a tab-separated table of the corpus folder, its header line left out.
std::vector<std::vector<std::string>> readCorpusTable(const std::string& name);

} // namespace testing_support
