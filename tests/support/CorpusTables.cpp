#include "tests/support/CorpusTables.h"

#include "tests/support/TestPaths.h"

#include <fstream>
#include <sstream>

namespace testing_support {

std::vector<std::vector<std::string>> readCorpusTable(const std::string& name) {
    std::ifstream in(corpusFile(name));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        std::string field;
        while (std::getline(stream, field, '\t'))
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

} // namespace testing_support
