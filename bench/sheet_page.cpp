// Writes one worksheet of a workbook as a page, with the engine alone: for comparing pages
// with other renderings without building the window and its host.
//   qm-sheet-page WORKBOOK SHEET-NAME PAGE.htm

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/web/Publish.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: qm-sheet-page WORKBOOK SHEET-NAME PAGE.htm\n", stderr);
        return 2;
    }
    try {
        const engine::Workbook workbook = engine::readWorkbook(argv[1]);
        for (std::size_t i = 0; i < workbook.sheets.size(); ++i)
            if (workbook.sheets[i].name == argv[2]) {
                engine::web::publishSheet(workbook, i, argv[3], {});
                return 0;
            }
        std::fprintf(stderr, "no sheet named '%s'; the sheets are:\n", argv[2]);
        for (const engine::Sheet& sheet : workbook.sheets)
            std::fprintf(stderr, "  %s\n", sheet.name.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 1;
}
