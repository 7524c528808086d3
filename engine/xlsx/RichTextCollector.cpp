#include "engine/xlsx/RichTextCollector.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Colors.h"
#include "engine/package/XmlValues.h"
#include "engine/xlsx/Fonts.h"

namespace engine::xlsx {

void RichTextCollector::begin() {
    result_ = RichText{};
    piece_.clear();
    inText_ = inRunProperties_ = hasFonts_ = false;
    phoneticDepth_ = 0;
}

void RichTextCollector::startElement(std::string_view local, const xml::Attributes& attributes) {
    if (phoneticDepth_ > 0 || local == "rPh" || local == "phoneticPr") {
        ++phoneticDepth_;
        return;
    }
    if (local == "t") {
        inText_ = true;
        piece_.clear();
    } else if (local == "r") {
        result_.runs.push_back(TextRun{static_cast<std::uint32_t>(result_.text.size()), 0});
    } else if (local == "rPr") {
        inRunProperties_ = true;
        runFont_ = Font{};
    } else if (inRunProperties_) {
        applyFontProperty(runFont_, local, attributes, colors_);
    }
}

void RichTextCollector::endElement(std::string_view local) {
    if (phoneticDepth_ > 0) {
        --phoneticDepth_;
        return;
    }
    if (local == "t" && inText_) {
        inText_ = false;
        package::decodeEscapes(piece_);
        result_.text += piece_;
        piece_.clear();
    } else if (local == "rPr" && inRunProperties_) {
        inRunProperties_ = false;
        if (!result_.runs.empty()) {
            result_.runs.back().font = fonts_.intern(runFont_);
            hasFonts_ = true;
        }
    }
}

void RichTextCollector::characters(std::string_view text) {
    if (!inText_ || phoneticDepth_ > 0)
        return;
    if (piece_.size() + result_.text.size() + text.size() > limits::maxTextBytes)
        throw ReadError(ReadError::Kind::Damaged, "a string is longer than " +
                                                      std::to_string(limits::maxTextBytes) +
                                                      " bytes");
    piece_.append(text);
}

RichText RichTextCollector::take() {
    if (!hasFonts_)
        result_.runs.clear();
    return std::move(result_);
}

} // namespace engine::xlsx
