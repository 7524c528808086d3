#include "engine/web/PageWriter.h"

#include "engine/base/Limits.h"
#include "engine/formula/PageNote.h"
#include "engine/numfmt/CellText.h"
#include "engine/util/AsciiCase.h"
#include "engine/web/ClassNames.h"
#include "engine/web/Css.h"
#include "engine/web/HtmlText.h"
#include "engine/web/PageLanguage.h"
#include "engine/web/SheetWriter.h"
#include "engine/web/StyleSheet.h"

#include <algorithm>

namespace engine::web {
namespace {

std::string sectionId(std::size_t sheet) {
    return "sheet" + std::to_string(sheet);
}

bool rightToLeft(const Workbook& workbook, std::size_t sheet) {
    return workbook.sheets[sheet].rightToLeft;
}

} // namespace

void writePage(Sink& sink, const Workbook& workbook, const PageContent& content) {
    numfmt::CellTextFormatter formatter(workbook);
    StyleSheet styles(workbook, formatter);
    PageLinks links;
    links.pictureSource = content.pictureSource;
    links.chartSource = content.chartSource;
    for (std::size_t index : content.sheets) {
        styles.addSheet(workbook.sheets[index]);
        links.sheetIds.emplace(util::asciiLowered(workbook.sheets[index].name), sectionId(index));
    }

    // A page of right-to-left sheets reads from the right as a whole; on a page that mixes
    // them, each such sheet's section says so.
    const bool allRightToLeft =
        !content.sheets.empty() &&
        std::all_of(content.sheets.begin(), content.sheets.end(),
                    [&](std::size_t sheet) { return rightToLeft(workbook, sheet); });
    std::string out;
    out += "<!DOCTYPE html>\n<html lang=\"";
    appendEscaped(out, pageLanguage(workbook));
    out += allRightToLeft ? "\" dir=\"rtl\">\n" : "\">\n";
    // The viewport is the device's: a phone opens the page at 100 % and scrolls the grid
    // sideways, which keeps its geometry.
    out += "<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"generator\" content=\"Quillmere\">\n<title>";
    appendEscaped(out, utf8Prefix(content.title, limits::maxPageTitleBytes));
    out += "</title>\n<style>\nbody{margin:8px;background:#FFFFFF;color:#000000;"
           "font-family:";
    out += cssFontFamily(workbook.fonts.front().name);
    out += "}\nh1{font-size:16pt;margin:0 0 10px}\nh2{font-size:13pt;margin:18px 0 6px}\n"
           "nav.tabs{margin:0 0 10px;border-bottom:1px solid #A0A0A0}\n"
           "nav.tabs a{display:inline-block;padding:3px 12px;margin-right:2px;"
           "border:1px solid #A0A0A0;border-bottom:none;background:#F2F2F2;color:#000000;"
           "text-decoration:none}\n"
           "div.sheet{position:relative}\n";
    // Read out, never shown: the heading of a page without a visible one, a chart's values.
    out += '.';
    out += classes::hidden;
    out += "{position:absolute;width:1px;height:1px;margin:0;padding:0;overflow:hidden;"
           "clip-path:inset(50%);white-space:nowrap}\n";
    styles.write(out);
    out += "</style>\n</head>\n<body>\n";
    // The counts are the workbook's: a page of many sheets says them once.
    out += formula::formulaNote(workbook);
    // Every page has its heading, for those who find their way by headings; a page whose
    // title is not shown above the sheet keeps it out of sight, so that it looks as before.
    out += "<main>\n";
    out += content.heading ? "<h1>" : "<h1 class=\"" + std::string(classes::hidden) + "\">";
    appendEscaped(out, utf8Prefix(content.title, limits::maxPageTitleBytes));
    out += "</h1>\n";
    if (content.sheetTabs && !content.sheets.empty()) {
        out += "<nav class=\"tabs\" aria-label=\"Sheets\">";
        for (std::size_t index : content.sheets) {
            out += "<a href=\"#" + sectionId(index) + "\">";
            appendEscaped(out, utf8Prefix(workbook.sheets[index].name, limits::maxPageTitleBytes));
            out += "</a>";
        }
        out += "</nav>\n";
    }
    sink.write(out);

    SheetWriter writer(workbook, formatter, styles, links);
    for (std::size_t index : content.sheets) {
        if (content.sheetTabs) {
            out = "<section id=\"" + sectionId(index) + "\"";
            if (!allRightToLeft && rightToLeft(workbook, index))
                out += " dir=\"rtl\"";
            out += ">\n<h2>";
            appendEscaped(out, utf8Prefix(workbook.sheets[index].name, limits::maxPageTitleBytes));
            out += "</h2>\n";
            sink.write(out);
            writer.write(sink, index, "grid" + std::to_string(index));
            sink.write("</section>\n");
        } else {
            writer.write(sink, index, sectionId(index));
        }
    }
    sink.write("</main>\n</body>\n</html>\n");
}

} // namespace engine::web
