#include "engine/package/AnchorGeometry.h"

#include "engine/base/Limits.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/package/AttributeValues.h"

#include <algorithm>

namespace engine::package {
namespace {

constexpr double emuPerPoint = 12700.0;
constexpr std::string_view markupCompatibility =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

} // namespace

double emu(const xml::Attributes& attributes, std::string_view name) {
    const auto value = parseNumber(attributes.value(name));
    return value && *value >= 0 && *value < 1e15 ? *value : 0;
}

bool FallbackSkip::start(std::string_view ns, std::string_view local) {
    if (depth_ > 0) {
        ++depth_;
        return true;
    }
    if (ns == markupCompatibility && local == "Fallback") {
        depth_ = 1;
        return true;
    }
    return false;
}

bool FallbackSkip::end() {
    if (depth_ == 0)
        return false;
    --depth_;
    return true;
}

Anchor DrawingAnchor::toAnchor(const drawing::CellSizes& sizes, double shapeWidthEmu,
                               double shapeHeightEmu) const {
    Anchor anchor;
    if (kind == Kind::Absolute) {
        anchor.colOffsetPt = xEmu / emuPerPoint;
        anchor.rowOffsetPt = yEmu / emuPerPoint;
    } else {
        anchor.col =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(from.col, limits::maxColumns - 1));
        anchor.row =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(from.row, limits::maxRows - 1));
        anchor.colOffsetPt = from.colOffsetEmu / emuPerPoint;
        anchor.rowOffsetPt = from.rowOffsetEmu / emuPerPoint;
    }
    // The far corner, measured over the cells between.
    const auto spanTo = [&](Anchor& spanned) {
        spanned.twoCell = true;
        spanned.toCol =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(to.col, limits::maxColumns - 1));
        spanned.toRow =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(to.row, limits::maxRows - 1));
        spanned.toColOffsetPt = to.colOffsetEmu / emuPerPoint;
        spanned.toRowOffsetPt = to.rowOffsetEmu / emuPerPoint;
        drawing::measureAnchor(spanned, sizes);
    };
    if (kind == Kind::TwoCell && resizesWithCells && to.col >= from.col && to.row >= from.row) {
        spanTo(anchor);
        return anchor;
    }
    if (shapeWidthEmu > 0 && shapeHeightEmu > 0) {
        anchor.widthPt = shapeWidthEmu / emuPerPoint;
        anchor.heightPt = shapeHeightEmu / emuPerPoint;
    } else if (kind != Kind::TwoCell) {
        anchor.widthPt = widthEmu / emuPerPoint;
        anchor.heightPt = heightEmu / emuPerPoint;
    } else if (to.col >= from.col && to.row >= from.row) {
        // Kept at its size, yet without a size of its own: the cells it covers now give it.
        Anchor spanned = anchor;
        spanTo(spanned);
        anchor.widthPt = spanned.widthPt;
        anchor.heightPt = spanned.heightPt;
    }
    return anchor;
}

bool DrawingAnchorReader::start(std::string_view local, const xml::Attributes& attributes,
                                std::size_t depth) {
    if (local == "twoCellAnchor" || local == "oneCellAnchor" || local == "absoluteAnchor") {
        // An anchor nested in another (only in broken parts) starts afresh.
        anchor_ = DrawingAnchor{};
        anchor_.kind = local == "twoCellAnchor"   ? DrawingAnchor::Kind::TwoCell
                       : local == "oneCellAnchor" ? DrawingAnchor::Kind::OneCell
                                                  : DrawingAnchor::Kind::Absolute;
        const std::string_view editAs = attributes.value("editAs", "twoCell");
        anchor_.resizesWithCells = editAs != "oneCell" && editAs != "absolute";
        open_ = true;
        anchorDepth_ = depth;
        marker_ = nullptr;
        collecting_ = false;
        return true;
    }
    if (!open_)
        return false;
    const bool atAnchor = depth == anchorDepth_ + 1;
    if (atAnchor && (local == "from" || local == "to")) {
        marker_ = local == "from" ? &anchor_.from : &anchor_.to;
        return true;
    }
    if (marker_ && (local == "col" || local == "row" || local == "colOff" || local == "rowOff")) {
        text_.clear();
        collecting_ = true;
        return true;
    }
    if (atAnchor && local == "ext") {
        anchor_.widthEmu = emu(attributes, "cx");
        anchor_.heightEmu = emu(attributes, "cy");
        return true;
    }
    if (atAnchor && local == "pos") {
        anchor_.xEmu = emu(attributes, "x");
        anchor_.yEmu = emu(attributes, "y");
        return true;
    }
    return false;
}

bool DrawingAnchorReader::end(std::string_view local, std::size_t depth) {
    if (!open_)
        return false;
    if (collecting_) {
        collecting_ = false;
        if (!marker_)
            return false;
        if (local == "col")
            marker_->col = parseUnsigned(text_, limits::maxColumns - 1).value_or(0);
        else if (local == "row")
            marker_->row = parseUnsigned(text_, limits::maxRows - 1).value_or(0);
        else if (const auto offset = parseNumber(text_); offset && *offset >= 0 && *offset < 1e15)
            (local == "colOff" ? marker_->colOffsetEmu : marker_->rowOffsetEmu) = *offset;
        return false;
    }
    if (marker_ && depth == anchorDepth_ + 1 && (local == "from" || local == "to")) {
        marker_ = nullptr;
        return false;
    }
    if (depth == anchorDepth_) {
        open_ = false;
        return true;
    }
    return false;
}

void DrawingAnchorReader::characters(std::string_view text) {
    if (collecting_ && text_.size() < 64)
        text_.append(text);
}

} // namespace engine::package
