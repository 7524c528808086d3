#include "engine/web/Publish.h"

namespace engine::web {

void publishSheet(const Workbook&, std::size_t, const std::string&, const std::string&) {
    throw WriteError("Writing web pages is not supported yet.");
}

void saveWorkbook(const Workbook&, const std::string&, WorkbookFormat, const std::string&) {
    throw WriteError("Writing web pages is not supported yet.");
}

} // namespace engine::web
