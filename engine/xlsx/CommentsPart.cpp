#include "engine/xlsx/CommentsPart.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"
#include "engine/util/Utf8.h"

#include <set>
#include <vector>

namespace engine::xlsx {
namespace {

// <comments><authors><author>…</author></authors><commentList><comment ref="A1" authorId="0">
// <text><r><t>…</t></r>…<rPh><t>…</t></rPh></text></comment></commentList></comments>
class CommentsHandler : public xml::Handler {
public:
    CommentsHandler(Sheet& sheet, const std::string& part) : sheet_(sheet), part_(part) {
        for (const Comment& comment : sheet.comments)
            seen_.insert(cellKey(comment.row, comment.col));
    }

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "author") {
            inAuthor_ = true;
            authors_.emplace_back();
        } else if (local == "comment") {
            startComment(attributes);
        } else if (inComment_ && local == "rPh") {
            ++phonetic_;
        } else if (inComment_ && local == "t" && phonetic_ == 0) {
            inText_ = true;
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (local == "author") {
            inAuthor_ = false;
        } else if (local == "comment") {
            endComment();
        } else if (local == "rPh" && phonetic_ > 0) {
            --phonetic_;
        } else if (local == "t") {
            inText_ = false;
        }
    }

    void characters(std::string_view text) override {
        std::string* target = nullptr;
        if (inText_ && inComment_ && keep_)
            target = &current_.text;
        else if (inAuthor_ && !authors_.empty())
            target = &authors_.back();
        if (target)
            util::appendUtf8Bounded(*target, text, limits::maxTextBytes);
    }

private:
    void startComment(const xml::Attributes& attributes) {
        inComment_ = true;
        keep_ = false;
        current_ = Comment{};
        authorId_ = package::parseUnsigned(attributes.value("authorId"), 0xFFFFFFFFu);
        package::CellPosition position;
        if (package::parseCellRef(attributes.value("ref"), position) != package::RefStatus::Ok) {
            // A range names its top-left cell; anything else leaves the note out.
            std::optional<Range> range = package::parseRange(attributes.value("ref"));
            if (!range)
                return;
            position = package::CellPosition{range->firstRow, range->firstCol};
        }
        if (!seen_.insert(cellKey(position.row, position.col)).second)
            return;
        if (sheet_.comments.size() >= limits::maxCommentsPerSheet)
            throw ReadError(ReadError::Kind::Damaged,
                            "the part '" + part_ + "': more than " +
                                std::to_string(limits::maxCommentsPerSheet) + " comments");
        current_.row = position.row;
        current_.col = position.col;
        keep_ = true;
    }

    void endComment() {
        inComment_ = false;
        inText_ = false;
        phonetic_ = 0;
        if (!keep_)
            return;
        keep_ = false;
        package::decodeEscapes(current_.text);
        if (authorId_ && *authorId_ < authors_.size()) {
            current_.author = authors_[*authorId_];
            package::decodeEscapes(current_.author);
        }
        sheet_.comments.push_back(std::move(current_));
    }

    Sheet& sheet_;
    const std::string& part_;
    std::set<std::uint64_t> seen_;
    std::vector<std::string> authors_;
    Comment current_;
    std::optional<std::uint64_t> authorId_;
    bool inAuthor_ = false, inComment_ = false, inText_ = false, keep_ = false;
    int phonetic_ = 0;
};

} // namespace

void readComments(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet) {
    CommentsHandler handler(sheet, part);
    package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
}

} // namespace engine::xlsx
