#pragma once
// The output choices of a conversion, as list indexes of the option panel's boxes (-1 when a
// box has nothing selected), so that the rules read plain values rather than widgets.

#include <string>

namespace convert {

struct OutputOptions {
    bool entireWorkbook = false; // whole-workbook mode; otherwise each worksheet to a page
    int fileNaming = 0; // 0 sheet name, 1 workbook and sheet name, 2 numbers; else sheet name
    int htmlType = 0;   // 0 static, 1 interactive sheet, 2 interactive pivot; else nothing added
    int fileFormat = 0; // 0 web page; anything else (or -1) a single-file archive
    int pageTitle = 0;  // 1 sheet, 2 workbook, 3 workbook and sheet; else no title
    bool shortExtension = true; // .htm / .mht rather than .html / .mhtml
};

// "htm", "html", "mht" or "mhtml" for the chosen format and extension length.
std::string OutputExtension(const OutputOptions& options);

// The SaveAs file format of whole-workbook output: 44 for a web page, 45 for an archive.
int SaveAsFileFormat(const OutputOptions& options);

} // namespace convert
