#include "engine/xls/Notes.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/ContinuedRecord.h"
#include "engine/xls/ObjectRecord.h"
#include "engine/xls/Records.h"
#include "engine/xls/Strings.h"

#include <set>
#include <vector>

namespace engine::xls {
namespace {

// Continuation NOTE records of BIFF2-7 have this row.
constexpr std::uint16_t continuationRow = 0xFFFF;

} // namespace

void NoteCollector::object(const Record& record) {
    noteObject_ = -1;
    if (version_ < 8)
        return;
    if (const auto kind = readObjectKind(record); kind && kind->type == object::note)
        noteObject_ = kind->id;
}

void NoteCollector::textObject(const std::optional<TextObject>& text) {
    const int objectId = noteObject_;
    noteObject_ = -1;
    if (objectId < 0 || !text || textBytes_ >= limits::maxNoteBytesPerSheet)
        return;
    textBytes_ += text->text.size();
    texts_[static_cast<std::uint16_t>(objectId)] = text->text;
}

void NoteCollector::note(const Record& record) {
    try {
        util::ByteCursor in(record.body, "NOTE record", record.offset + 4);
        const std::uint16_t row = in.u16();
        const std::uint16_t col = in.u16();
        if (version_ >= 8) {
            Pending note;
            note.row = row;
            note.col = col;
            note.shown = in.u16() & 0x02;
            note.objectId = in.u16();
            if (in.remaining() >= 3) {
                std::vector<std::span<const std::uint8_t>> rest{in.bytes(in.remaining())};
                ContinuedRecord author(std::move(rest), record.offset, "NOTE record");
                note.author = readUnicodeString(author, 2).text;
            }
            if (notes_.size() < limits::maxCommentsPerSheet)
                notes_.push_back(std::move(note));
            return;
        }
        const std::uint16_t length = in.u16();
        const auto bytes = in.bytes(std::min<std::size_t>(length, in.remaining()));
        if (textBytes_ + bytes.size() > limits::maxNoteBytesPerSheet)
            return;
        textBytes_ += bytes.size();
        if (row == continuationRow) {
            if (!notes_.empty())
                decoder_.append(notes_.back().text, bytes);
            return;
        }
        if (notes_.size() >= limits::maxCommentsPerSheet)
            return;
        Pending note;
        note.row = row;
        note.col = col;
        decoder_.append(note.text, bytes);
        notes_.push_back(std::move(note));
    } catch (const ReadError&) {
        // A note cut short is left out.
    }
}

void NoteCollector::finish(Sheet& sheet) {
    std::set<std::uint64_t> seen;
    for (const Comment& comment : sheet.comments)
        seen.insert(cellKey(comment.row, comment.col));
    for (Pending& note : notes_) {
        if (note.col >= limits::maxColumns || !seen.insert(cellKey(note.row, note.col)).second)
            continue;
        Comment comment;
        comment.row = note.row;
        comment.col = note.col;
        comment.shown = note.shown;
        comment.author = std::move(note.author);
        if (version_ >= 8) {
            auto text = texts_.find(note.objectId);
            if (text == texts_.end())
                continue;
            comment.text = std::move(text->second);
        } else {
            comment.text = std::move(note.text);
        }
        // Lines end with a line feed, a carriage return or both, by writer.
        std::string lines;
        for (std::size_t i = 0; i < comment.text.size(); ++i) {
            const char c = comment.text[i];
            if (c == '\r' && i + 1 < comment.text.size() && comment.text[i + 1] == '\n')
                continue;
            lines += c == '\r' ? '\n' : c;
        }
        comment.text = std::move(lines);
        sheet.comments.push_back(std::move(comment));
    }
    notes_.clear();
    texts_.clear();
}

} // namespace engine::xls
