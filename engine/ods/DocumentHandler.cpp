#include "engine/ods/DocumentHandler.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/ods/Names.h"
#include "engine/ods/Values.h"

namespace engine::ods {

DocumentHandler::DocumentHandler(Workbook& workbook, StyleTable& styles,
                                 const PictureLoader& loadPicture, const ObjectLoader* loadObject)
    : context_{workbook, styles, loadPicture, 0, loadObject}, styles_(styles) {}

DocumentHandler::~DocumentHandler() = default;

void DocumentHandler::startElement(std::string_view ns, std::string_view local,
                                   const xml::Attributes& attributes) {
    ++depth_;
    if (table_) {
        table_->startElement(ns, local, attributes);
        return;
    }
    if (depth_ == 1) {
        if (ns == names::office &&
            (local == "document" || local == "document-content" || local == "document-styles"))
            sawRoot_ = true;
        return;
    }
    if (dataStyleDepth_ > 0) {
        styles_.numberStyles().start(ns, local, attributes);
        return;
    }
    if (styleDepth_ > 0) {
        if (ns == names::style)
            styles_.properties(local, attributes);
        return;
    }
    if (stylesDepth_ > 0) {
        if (ns == names::style && (local == "style" || local == "default-style")) {
            styles_.beginStyle(attributes, local == "default-style");
            styleDepth_ = depth_;
        } else if (ns == names::number && NumberStyles::isDataStyle(local)) {
            styles_.numberStyles().begin(local, attributes);
            dataStyleDepth_ = depth_;
        }
        return;
    }
    if (ns == names::office) {
        if (local == "styles" || local == "automatic-styles")
            stylesDepth_ = depth_;
        else if (local == "spreadsheet")
            inSpreadsheet_ = sawSpreadsheet_ = true;
        return;
    }
    if (ns == names::style && local == "font-face") {
        styles_.addFontFace(attributes);
        return;
    }
    if (!inSpreadsheet_ || ns != names::table)
        return;
    if (local == "table") {
        if (context_.workbook.sheets.size() >= limits::maxSheets)
            throw ReadError(ReadError::Kind::Damaged,
                            "content: more than " + std::to_string(limits::maxSheets) + " tables");
        table_ = std::make_unique<TableReader>(context_, attributes);
        tableDepth_ = depth_;
    } else if (local == "null-date") {
        // The suite's other date origin is that of the 1904 date system; dates are converted
        // from their written form, so any other origin changes nothing they show.
        const auto days = isoDateDays(attributes.value("date-value", "1899-12-30"));
        if (days && *days == static_cast<double>(util::daysFromCivil(1904, 1, 1)))
            context_.workbook.dateSystem = DateSystem::Date1904;
    }
}

void DocumentHandler::endElement(std::string_view ns, std::string_view local) {
    const std::size_t closing = depth_--;
    if (table_) {
        if (closing == tableDepth_) {
            table_->finish();
            table_.reset();
            tableDepth_ = 0;
        } else {
            table_->endElement(ns, local);
        }
        return;
    }
    if (dataStyleDepth_ > 0) {
        if (closing == dataStyleDepth_) {
            styles_.numberStyles().finishStyle();
            dataStyleDepth_ = 0;
        } else {
            styles_.numberStyles().end(ns, local);
        }
        return;
    }
    if (styleDepth_ > 0) {
        if (closing == styleDepth_) {
            styles_.endStyle();
            styleDepth_ = 0;
        }
        return;
    }
    if (closing == stylesDepth_)
        stylesDepth_ = 0;
    if (ns == names::office && local == "spreadsheet")
        inSpreadsheet_ = false;
}

void DocumentHandler::characters(std::string_view text) {
    if (table_)
        table_->characters(text);
    else if (dataStyleDepth_ > 0)
        styles_.numberStyles().characters(text);
}

} // namespace engine::ods
