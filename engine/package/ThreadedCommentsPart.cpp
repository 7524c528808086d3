#include "engine/package/ThreadedCommentsPart.h"

#include "engine/base/Limits.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/package/XmlValues.h"
#include "engine/util/Utf8.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <map>
#include <vector>

namespace engine::package {
namespace {

// <personList><person displayName="…" id="{…}" …/></personList>
class PersonsHandler : public xml::Handler {
public:
    explicit PersonsHandler(Persons& persons) : persons_(persons) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local != "person" || persons_.size() >= limits::maxCommentAuthors)
            return;
        std::string name;
        util::appendUtf8Bounded(name, attributes.value("displayName"), limits::maxAuthorNameBytes);
        decodeEscapes(name);
        persons_.emplace(std::string(attributes.value("id")), std::move(name));
    }
    void endElement(std::string_view, std::string_view) override {}
    void characters(std::string_view) override {}

private:
    Persons& persons_;
};

struct Entry {
    CellPosition cell;
    std::string id, parentId, author, text;
};

// <ThreadedComments><threadedComment ref="A1" personId="{…}" id="{…}" [parentId="{…}"]>
// <text>…</text></threadedComment>…</ThreadedComments>
class ThreadedHandler : public xml::Handler {
public:
    ThreadedHandler(const Persons& persons, std::vector<Entry>& entries)
        : persons_(persons), entries_(entries) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "threadedComment") {
            open_ = false;
            if (entries_.size() >= limits::maxCommentsPerSheet * 4)
                return;
            CellPosition cell;
            if (parseCellRef(attributes.value("ref"), cell) != RefStatus::Ok) {
                const std::optional<Range> range = parseRange(attributes.value("ref"));
                if (!range)
                    return;
                cell = CellPosition{range->firstRow, range->firstCol};
            }
            Entry& entry = entries_.emplace_back();
            entry.cell = cell;
            entry.id = attributes.value("id");
            entry.parentId = attributes.value("parentId");
            if (const auto person = persons_.find(attributes.value("personId"));
                person != persons_.end())
                entry.author = person->second;
            open_ = true;
        } else if (local == "text" && open_) {
            inText_ = true;
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (local == "text")
            inText_ = false;
        else if (local == "threadedComment")
            open_ = false;
    }

    void characters(std::string_view text) override {
        if (inText_ && open_)
            util::appendUtf8Bounded(entries_.back().text, text, limits::maxTextBytes);
    }

private:
    const Persons& persons_;
    std::vector<Entry>& entries_;
    bool open_ = false, inText_ = false;
};

std::uint64_t key(CellPosition cell) {
    return cellKey(cell.row, cell.col);
}

// Conversations in the file's order, each with its replies in theirs.
void mergeConversations(std::vector<Entry>& entries, Sheet& sheet) {
    std::map<std::string, std::size_t, std::less<>> topById;
    std::map<std::uint64_t, Comment> byCell;
    std::map<std::uint64_t, std::size_t> replies;
    std::vector<std::uint64_t> order;
    for (Entry& entry : entries) {
        decodeEscapes(entry.text);
        const std::uint64_t cell = key(entry.cell);
        const bool reply = !entry.parentId.empty() && topById.contains(entry.parentId);
        auto found = byCell.find(cell);
        if (!reply && found == byCell.end()) {
            if (order.size() >= limits::maxCommentsPerSheet)
                continue;
            Comment comment;
            comment.row = entry.cell.row;
            comment.col = entry.cell.col;
            comment.author = entry.author;
            comment.text = entry.text;
            byCell.emplace(cell, std::move(comment));
            order.push_back(cell);
            topById.emplace(entry.id, cell);
            continue;
        }
        // A reply, or a second thread on a cell (which the application does not write),
        // continues the cell's conversation.
        if (found == byCell.end() || replies[cell] >= limits::maxRepliesPerComment)
            continue;
        ++replies[cell];
        std::string& text = found->second.text;
        util::appendUtf8Bounded(text, "\n\n", limits::maxTextBytes);
        if (!entry.author.empty()) {
            util::appendUtf8Bounded(text, entry.author, limits::maxTextBytes);
            util::appendUtf8Bounded(text, ": ", limits::maxTextBytes);
        }
        util::appendUtf8Bounded(text, entry.text, limits::maxTextBytes);
    }
    // The placeholder notes on those cells give way; whether a note is shown stays theirs.
    for (Comment& existing : sheet.comments) {
        const auto found = byCell.find(key({existing.row, existing.col}));
        if (found == byCell.end())
            continue;
        const bool shown = existing.shown;
        existing = std::move(found->second);
        existing.shown = shown;
        byCell.erase(found);
    }
    for (std::uint64_t cell : order) {
        const auto found = byCell.find(cell);
        if (found != byCell.end() && sheet.comments.size() < limits::maxCommentsPerSheet)
            sheet.comments.push_back(std::move(found->second));
    }
}

} // namespace

Persons readPersons(const zip::ZipArchive& archive, const std::string& part) {
    Persons persons;
    PersonsHandler handler(persons);
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    return persons;
}

Persons parsePersonsXml(std::string_view xml, const std::string& partName) {
    Persons persons;
    PersonsHandler handler(persons);
    xml::parse(xml, handler, partName);
    return persons;
}

void readThreadedComments(const zip::ZipArchive& archive, const std::string& sheetPart,
                          const Persons& persons, Sheet& sheet) {
    const Relationships relationships = Relationships::read(archive, sheetPart);
    const Relationship* part = relationships.firstOfKind("threadedComment");
    if (!part || part->external || !archive.contains(part->target))
        return;
    std::vector<Entry> entries;
    ThreadedHandler handler(persons, entries);
    parsePart(archive, part->target, handler, limits::maxSmallPartBytes);
    mergeConversations(entries, sheet);
}

void parseThreadedCommentsXml(std::string_view xml, const std::string& partName,
                              const Persons& persons, Sheet& sheet) {
    std::vector<Entry> entries;
    ThreadedHandler handler(persons, entries);
    xml::parse(xml, handler, partName);
    mergeConversations(entries, sheet);
}

} // namespace engine::package
