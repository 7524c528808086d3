#include "engine/ods/Annotation.h"

#include "engine/base/Limits.h"
#include "engine/ods/Names.h"
#include "engine/ods/TextSpaces.h"
#include "engine/util/Utf8.h"

namespace engine::ods {
void AnnotationReader::begin(const xml::Attributes& attributes) {
    note_ = Comment{};
    done_.reset(); // one annotation to a cell: the last one written stands
    // Without office:display a note shows on hover only, as the suite draws it.
    note_.shown = attributes.value("display") == "true";
    active_ = true;
    inCreator_ = false;
    paragraphDepth_ = 0;
    paragraphs_ = 0;
    lastWasSpace_ = false;
}

void AnnotationReader::startElement(std::string_view ns, std::string_view local,
                                    const xml::Attributes& attributes) {
    if (ns == names::dc) {
        inCreator_ = local == "creator";
        return;
    }
    if (ns != names::text)
        return;
    if (local == "p" || local == "h") {
        if (paragraphDepth_++ == 0) {
            if (paragraphs_++ > 0)
                util::appendUtf8Bounded(note_.text, "\n", limits::maxTextBytes);
            lastWasSpace_ = false;
        }
        return;
    }
    if (paragraphDepth_ == 0)
        return;
    if (local == "s") {
        appendSpaces(note_.text, attributes.value("c"));
        lastWasSpace_ = false;
    } else if (local == "tab" || local == "line-break") {
        util::appendUtf8Bounded(note_.text, local == "tab" ? "\t" : "\n", limits::maxTextBytes);
        lastWasSpace_ = false;
    }
}

void AnnotationReader::endElement(std::string_view ns, std::string_view local) {
    if (ns == names::dc)
        inCreator_ = false;
    else if (ns == names::text && (local == "p" || local == "h") && paragraphDepth_ > 0)
        --paragraphDepth_;
}

void AnnotationReader::characters(std::string_view text) {
    if (inCreator_) {
        util::appendUtf8Bounded(note_.author, text, limits::maxTextBytes);
        return;
    }
    if (paragraphDepth_ > 0)
        append(text);
}

void AnnotationReader::append(std::string_view text) {
    // White space collapses to one space inside a paragraph, as in cell text.
    std::string collapsed;
    collapsed.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!lastWasSpace_)
                collapsed += ' ';
            lastWasSpace_ = true;
        } else {
            collapsed += c;
            lastWasSpace_ = false;
        }
    }
    util::appendUtf8Bounded(note_.text, collapsed, limits::maxTextBytes);
}

void AnnotationReader::end() {
    active_ = false;
    inCreator_ = false;
    done_ = std::move(note_);
}

void AnnotationReader::place(Sheet& sheet, std::uint64_t row, std::uint64_t col) {
    if (!done_)
        return;
    Comment note = std::move(*done_);
    done_.reset();
    if (row >= limits::maxRows || col >= limits::maxColumns ||
        sheet.comments.size() >= limits::maxHyperlinks)
        return;
    note.row = static_cast<std::uint32_t>(row);
    note.col = static_cast<std::uint16_t>(col);
    sheet.comments.push_back(std::move(note));
}

} // namespace engine::ods
