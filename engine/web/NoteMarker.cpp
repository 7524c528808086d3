#include "engine/web/NoteMarker.h"

#include "engine/base/Limits.h"
#include "engine/web/ClassNames.h"
#include "engine/web/HtmlText.h"

#include <string_view>

namespace engine::web {
namespace {

// Escaped for an attribute with its line breaks kept, as a tooltip shows them.
void appendLines(std::string& out, std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        appendEscaped(out, text.substr(start, end - start));
        if (end == text.size())
            break;
        out += "&#10;";
        start = end + 1;
    }
}

} // namespace

void appendNoteMarker(std::string& out, const Comment& comment) {
    std::string_view author = utf8Prefix(comment.author, 1024);
    const std::string_view text = utf8Prefix(comment.text, limits::maxNoteMarkerBytes);
    // The application writes its notes with the author's name and a colon as the first line of
    // the text itself; the name is then not said twice.
    if (!author.empty() && text.size() > author.size() && text.starts_with(author) &&
        text[author.size()] == ':')
        author = {};
    out += "<span class=\"";
    out += classes::note;
    out += "\" tabindex=\"0\" role=\"note\" title=\"";
    if (!author.empty()) {
        appendLines(out, author);
        out += ":&#10;";
    }
    appendLines(out, text);
    out += "\"><span>";
    if (!author.empty()) {
        out += "<b>";
        appendEscaped(out, author);
        out += ":</b><br>";
    }
    appendEscaped(out, text, LineBreaks::Br);
    out += "</span></span>";
}

void appendNoteCss(std::string& out) {
    out += "table.grid :is(td,th).cm{position:relative}\n"
           "table.grid :is(td,th).cm:focus-within{overflow:visible}\n"
           "table.grid span.cm{position:absolute;top:0;right:0;width:0;height:0;"
           "border-style:solid;border-width:0 6px 6px 0;"
           "border-color:transparent #FF0000 transparent transparent}\n"
           "table.grid[dir=rtl] span.cm{right:auto;left:0;border-width:6px 6px 0 0;"
           "border-color:#FF0000 transparent transparent transparent}\n"
           "table.grid span.cm>span{position:absolute;width:1px;height:1px;overflow:hidden;"
           "clip-path:inset(50%);white-space:normal}\n"
           "table.grid span.cm:focus{outline:2px solid #000000}\n"
           "table.grid span.cm:focus>span{top:0;left:10px;width:180px;height:auto;"
           "clip-path:none;z-index:2;padding:2px 4px;background:#FFFFE1;color:#000000;"
           "border:1px solid #000000;font-weight:400;font-style:normal;text-align:left;"
           "text-decoration:none}\n"
           "table.grid[dir=rtl] span.cm:focus>span{left:auto;right:10px}\n";
}

} // namespace engine::web
