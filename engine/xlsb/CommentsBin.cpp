#include "engine/xlsb/CommentsBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Relationships.h"
#include "engine/util/Utf8.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"
#include "engine/zip/ZipArchive.h"

#include <set>
#include <vector>

namespace engine::xlsb {
namespace {

// Line breaks as "\n", and no longer than a cell's text may be, cut between characters.
std::string noteText(std::string text) {
    std::string out;
    out.reserve(std::min(text.size(), limits::maxTextBytes));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    out.resize(util::utf8Prefix(out, limits::maxTextBytes).size());
    return out;
}

// BrtCommentAuthor* ... (BrtBeginComment BrtCommentText BrtEndComment)*: the authors come
// first, each note names one by its index among them.
class CommentRecords {
public:
    explicit CommentRecords(Sheet& sheet) : sheet_(sheet) {
        for (const Comment& comment : sheet.comments)
            seen_.insert(cellKey(comment.row, comment.col));
    }

    void record(const Record& record) {
        util::ByteCursor cursor = record.cursor();
        switch (record.type) {
        case rec::CommentAuthor:
            if (authors_.size() < limits::maxCommentAuthors)
                authors_.push_back(noteText(wideString(cursor)));
            break;
        case rec::BeginComment:
            begin(cursor);
            break;
        case rec::CommentText:
            if (open_) {
                const RichText text = richString(cursor);
                current_.text = noteText(text.text);
            }
            break;
        case rec::EndComment:
            end();
            break;
        default:
            break;
        }
    }

private:
    void begin(util::ByteCursor& cursor) {
        open_ = false;
        const std::int32_t author = cursor.i32();
        const auto cell = rfx(cursor);
        if (!cell)
            return;
        current_ = Comment{};
        current_.row = cell->firstRow;
        current_.col = cell->firstCol;
        if (author >= 0 && static_cast<std::size_t>(author) < authors_.size())
            current_.author = authors_[static_cast<std::size_t>(author)];
        open_ = seen_.insert(cellKey(current_.row, current_.col)).second;
    }

    void end() {
        if (!open_)
            return;
        open_ = false;
        if (sheet_.comments.size() >= limits::maxCommentsPerSheet)
            throw ReadError(ReadError::Kind::Damaged,
                            "more than " + std::to_string(limits::maxCommentsPerSheet) +
                                " comments");
        sheet_.comments.push_back(std::move(current_));
    }

    Sheet& sheet_;
    std::set<std::uint64_t> seen_;
    std::vector<std::string> authors_;
    Comment current_;
    bool open_ = false;
};

} // namespace

void parseCommentsBin(std::span<const std::uint8_t> records, const std::string& partName,
                      Sheet& sheet) {
    CommentRecords reader(sheet);
    parseRecords(records, partName, [&](const Record& record) { reader.record(record); });
}

void readSheetComments(const zip::ZipArchive& archive, const std::string& sheetPart,
                       const package::Persons& persons, Sheet& sheet) {
    // Notes are an aside to the cells: a damaged part costs only what it holds after the damage,
    // and the notes part and the threaded conversations are read apart, so that one damaged part
    // keeps the other's notes.
    const auto keepingTheCells = [](const auto& read) {
        try {
            read();
        } catch (const ReadError& error) {
            if (error.kind() != ReadError::Kind::Damaged)
                throw;
        }
    };
    const package::Relationships relationships = package::Relationships::read(archive, sheetPart);
    const package::Relationship* notes = relationships.firstOfKind("comments");
    if (notes && !notes->external && archive.contains(notes->target)) {
        keepingTheCells([&] {
            CommentRecords reader(sheet);
            readRecords(archive, notes->target, limits::maxSmallPartBytes,
                        [&](const Record& record) { reader.record(record); });
        });
    }
    keepingTheCells([&] { package::readThreadedComments(archive, sheetPart, persons, sheet); });
}

} // namespace engine::xlsb
