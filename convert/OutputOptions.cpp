#include "convert/OutputOptions.h"

namespace convert {
namespace {

// The object model's SaveAs formats for web output.
constexpr int xlHtml = 44;
constexpr int xlWebArchive = 45;

bool webPage(const OutputOptions& options) {
    return options.fileFormat == 0;
}

} // namespace

std::string OutputExtension(const OutputOptions& options) {
    if (webPage(options))
        return options.shortExtension ? "htm" : "html";
    return options.shortExtension ? "mht" : "mhtml";
}

int SaveAsFileFormat(const OutputOptions& options) {
    return webPage(options) ? xlHtml : xlWebArchive;
}

} // namespace convert
