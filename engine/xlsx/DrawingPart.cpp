#include "engine/xlsx/DrawingPart.h"

#include "engine/metafile/Metafile.h"
#include "engine/read/Limits.h"
#include "engine/xlsx/AnchorGeometry.h"
#include "engine/xlsx/PartReader.h"
#include "engine/xlsx/Relationships.h"
#include "engine/xlsx/XmlValues.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::xlsx {
namespace {

constexpr double emuPerPoint = 12700.0;
constexpr std::string_view markupCompatibility =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

struct Marker {
    std::uint64_t col = 0, row = 0;
    double colOffsetEmu = 0, rowOffsetEmu = 0;
};

struct PendingPicture {
    std::string embedId;
    std::string description;
    double widthEmu = 0, heightEmu = 0;
};

struct PendingAnchor {
    enum class Kind { TwoCell, OneCell, Absolute } kind = Kind::TwoCell;
    Marker from, to;
    double widthEmu = 0, heightEmu = 0; // from <ext> of a one-cell or absolute anchor
    double xEmu = 0, yEmu = 0;          // from <pos> of an absolute anchor
    std::vector<PendingPicture> pictures;
};

class DrawingHandler : public xml::Handler {
public:
    explicit DrawingHandler(std::vector<PendingAnchor>& anchors) : anchors_(anchors) {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        path_.emplace_back(local);
        if (skipDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        // Of alternative content, the first choice is the one read; its fallback repeats it.
        if (ns == markupCompatibility && local == "Fallback") {
            skipDepth_ = 1;
            return;
        }
        if (local == "twoCellAnchor" || local == "oneCellAnchor" || local == "absoluteAnchor") {
            anchor_.emplace();
            anchor_->kind = local == "twoCellAnchor"   ? PendingAnchor::Kind::TwoCell
                            : local == "oneCellAnchor" ? PendingAnchor::Kind::OneCell
                                                       : PendingAnchor::Kind::Absolute;
            anchorDepth_ = path_.size();
            // An anchor nested in another (only in broken parts) starts afresh.
            marker_ = nullptr;
            inPicture_ = false;
            return;
        }
        if (!anchor_)
            return;
        std::string_view parent;
        if (path_.size() >= 2)
            parent = path_[path_.size() - 2];
        const bool atAnchor = path_.size() == anchorDepth_ + 1;
        if (local == "from" || local == "to") {
            marker_ = local == "from" ? &anchor_->from : &anchor_->to;
        } else if (marker_ &&
                   (local == "col" || local == "row" || local == "colOff" || local == "rowOff")) {
            text_.clear();
            collecting_ = true;
        } else if (atAnchor && local == "ext") {
            anchor_->widthEmu = emu(attributes, "cx");
            anchor_->heightEmu = emu(attributes, "cy");
        } else if (atAnchor && local == "pos") {
            anchor_->xEmu = emu(attributes, "x");
            anchor_->yEmu = emu(attributes, "y");
        } else if (local == "pic" && pictureCount_ < maxPictures) {
            anchor_->pictures.emplace_back();
            ++pictureCount_;
            inPicture_ = true;
        } else if (inPicture_ && local == "cNvPr") {
            anchor_->pictures.back().description = attributes.value("descr");
        } else if (inPicture_ && local == "blip") {
            anchor_->pictures.back().embedId = attributes.value("embed");
        } else if (inPicture_ && local == "ext" && parent == "xfrm") {
            anchor_->pictures.back().widthEmu = emu(attributes, "cx");
            anchor_->pictures.back().heightEmu = emu(attributes, "cy");
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        path_.pop_back();
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        if (!anchor_)
            return;
        if (collecting_) {
            collecting_ = false;
            storeMarkerField(local);
        } else if (local == "from" || local == "to") {
            marker_ = nullptr;
        } else if (local == "pic") {
            inPicture_ = false;
        } else if (path_.size() < anchorDepth_) {
            if (!anchor_->pictures.empty() && anchors_.size() < maxAnchors)
                anchors_.push_back(std::move(*anchor_));
            anchor_.reset();
        }
    }

    void characters(std::string_view text) override {
        if (collecting_ && text_.size() < 64)
            text_.append(text);
    }

private:
    // More pictures than any sheet shows; past them a drawing is not worth reading on.
    static constexpr std::size_t maxAnchors = 100000;
    static constexpr std::size_t maxPictures = 100000;

    void storeMarkerField(std::string_view local) {
        if (!marker_)
            return;
        if (local == "col")
            marker_->col = parseUnsigned(text_, limits::maxColumns - 1).value_or(0);
        else if (local == "row")
            marker_->row = parseUnsigned(text_, limits::maxRows - 1).value_or(0);
        else if (const auto offset = parseNumber(text_); offset && *offset >= 0 && *offset < 1e15)
            (local == "colOff" ? marker_->colOffsetEmu : marker_->rowOffsetEmu) = *offset;
    }

    std::vector<PendingAnchor>& anchors_;
    std::vector<std::string> path_;
    std::optional<PendingAnchor> anchor_;
    std::size_t anchorDepth_ = 0, skipDepth_ = 0, pictureCount_ = 0;
    Marker* marker_ = nullptr;
    bool collecting_ = false, inPicture_ = false;
    std::string text_;
};

Anchor toAnchor(const PendingAnchor& pending, const PendingPicture& picture, const Sheet& sheet) {
    Anchor anchor;
    if (pending.kind == PendingAnchor::Kind::Absolute) {
        anchor.colOffsetPt = pending.xEmu / emuPerPoint;
        anchor.rowOffsetPt = pending.yEmu / emuPerPoint;
    } else {
        anchor.col = static_cast<std::uint16_t>(pending.from.col);
        anchor.row = static_cast<std::uint32_t>(pending.from.row);
        anchor.colOffsetPt = pending.from.colOffsetEmu / emuPerPoint;
        anchor.rowOffsetPt = pending.from.rowOffsetEmu / emuPerPoint;
    }
    if (picture.widthEmu > 0 && picture.heightEmu > 0) {
        anchor.widthPt = picture.widthEmu / emuPerPoint;
        anchor.heightPt = picture.heightEmu / emuPerPoint;
    } else if (pending.kind != PendingAnchor::Kind::TwoCell) {
        anchor.widthPt = pending.widthEmu / emuPerPoint;
        anchor.heightPt = pending.heightEmu / emuPerPoint;
    } else if (pending.to.col >= pending.from.col && pending.to.row >= pending.from.row &&
               pending.to.col - pending.from.col <= limits::maxColumns &&
               pending.to.row - pending.from.row <= 100000) {
        double width = 0, height = 0;
        for (std::uint64_t col = pending.from.col; col < pending.to.col; ++col)
            width += columnWidthPt(sheet, col);
        for (std::uint64_t row = pending.from.row; row < pending.to.row; ++row)
            height += rowHeightPt(sheet, row);
        width += (pending.to.colOffsetEmu - pending.from.colOffsetEmu) / emuPerPoint;
        height += (pending.to.rowOffsetEmu - pending.from.rowOffsetEmu) / emuPerPoint;
        anchor.widthPt = std::max(width, 0.0);
        anchor.heightPt = std::max(height, 0.0);
    }
    return anchor;
}

// Fills `picture` with `bytes` as a page shows them: as they are, or a metafile played into
// SVG, whose size also counts towards the workbook's picture bytes.
bool showable(std::string_view bytes, Picture& picture, std::uint64_t& pictureBytes) {
    picture.mimeType = imageMimeType(bytes);
    if (!picture.mimeType.empty()) {
        picture.data.assign(bytes.begin(), bytes.end());
        return true;
    }
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size());
    std::optional<std::pair<double, double>> hint;
    if (picture.anchor.widthPt > 0 && picture.anchor.heightPt > 0)
        hint = std::make_pair(picture.anchor.widthPt, picture.anchor.heightPt);
    auto rendered = metafile::tryToSvg(raw, hint);
    if (!rendered || pictureBytes + rendered->svg.size() > limits::maxPictureBytesPerWorkbook)
        return false;
    pictureBytes += rendered->svg.size();
    picture.mimeType = "image/svg+xml";
    picture.data.assign(rendered->svg.begin(), rendered->svg.end());
    if (!(picture.anchor.widthPt > 0 && picture.anchor.heightPt > 0)) {
        picture.anchor.widthPt = rendered->widthPt;
        picture.anchor.heightPt = rendered->heightPt;
    }
    return true;
}

} // namespace

void readBackground(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                    std::uint64_t& pictureBytes) {
    const std::string bytes = archive.read(part, limits::maxPictureBytes);
    if (pictureBytes + bytes.size() > limits::maxPictureBytesPerWorkbook)
        return;
    pictureBytes += bytes.size();
    Picture background;
    if (showable(bytes, background, pictureBytes))
        sheet.background = std::move(background);
}

std::string imageMimeType(std::string_view bytes) {
    const auto starts = [&](std::string_view magic) {
        return bytes.substr(0, magic.size()) == magic;
    };
    if (starts("\x89PNG\r\n\x1a\n"))
        return "image/png";
    if (starts("\xFF\xD8\xFF"))
        return "image/jpeg";
    if (starts("GIF87a") || starts("GIF89a"))
        return "image/gif";
    if (starts("BM") && bytes.size() > 14)
        return "image/bmp";
    if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4)))
        return "image/tiff";
    if (starts("RIFF") && bytes.size() >= 12 && bytes.substr(8, 4) == "WEBP")
        return "image/webp";
    return {};
}

void readDrawing(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                 std::uint64_t& pictureBytes) {
    std::vector<PendingAnchor> anchors;
    DrawingHandler handler(anchors);
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    if (anchors.empty())
        return;

    const Relationships relationships = Relationships::read(archive, part);
    for (const auto& pending : anchors) {
        for (const auto& picture : pending.pictures) {
            const Relationship* image = relationships.byId(picture.embedId);
            // Linked images are never fetched.
            if (!image || image->external || !archive.contains(image->target))
                continue;
            const std::string bytes = archive.read(image->target, limits::maxPictureBytes);
            if (pictureBytes + bytes.size() > limits::maxPictureBytesPerWorkbook)
                return;
            pictureBytes += bytes.size();
            Picture result;
            result.anchor = toAnchor(pending, picture, sheet);
            if (!showable(bytes, result, pictureBytes))
                continue;
            result.description = picture.description;
            sheet.pictures.push_back(std::move(result));
        }
    }
}

} // namespace engine::xlsx
