#include "engine/package/DrawingPart.h"

#include "engine/base/Limits.h"
#include "engine/metafile/Metafile.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/util/ImageType.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::package {
namespace {

// Fills `picture` with `bytes` as a page shows them: as they are, or a metafile played into
// SVG, whose size also counts towards the workbook's picture bytes.
bool showable(std::string_view bytes, Picture& picture, std::uint64_t& pictureBytes) {
    picture.mimeType = util::mimeType(util::imageType(bytes));
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

void DrawingPictures::anchorStarted() {
    pictures_.clear();
    picDepth_ = xfrmDepth_ = 0;
}

void DrawingPictures::start(std::string_view local, const xml::Attributes& attributes,
                            std::size_t depth) {
    if (local == "pic" && pictureCount_ < limits::maxPicturesPerSheet) {
        pictures_.emplace_back();
        ++pictureCount_;
        picDepth_ = depth;
    } else if (picDepth_ == 0) {
        return;
    } else if (local == "cNvPr") {
        pictures_.back().description = attributes.value("descr");
    } else if (local == "blip") {
        pictures_.back().embedId = attributes.value("embed");
    } else if (local == "xfrm") {
        xfrmDepth_ = depth;
    } else if (local == "ext" && xfrmDepth_ != 0 && depth == xfrmDepth_ + 1) {
        pictures_.back().widthEmu = emu(attributes, "cx");
        pictures_.back().heightEmu = emu(attributes, "cy");
    }
}

void DrawingPictures::end(std::string_view local) {
    if (local == "pic")
        picDepth_ = xfrmDepth_ = 0;
    else if (local == "xfrm")
        xfrmDepth_ = 0;
}

void DrawingPictures::anchorEnded(const DrawingAnchor& place) {
    if (!pictures_.empty() && anchors_.size() < limits::maxDrawingAnchors)
        anchors_.push_back({place, std::move(pictures_)});
    pictures_.clear();
    picDepth_ = xfrmDepth_ = 0;
}

void DrawingPictures::addTo(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                            std::uint64_t& pictureBytes) const {
    if (anchors_.empty())
        return;

    const Relationships relationships = Relationships::read(archive, part);
    // Sizes for the metafile player and for readers of the model; a page measures its
    // drawings again on its own grid.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (const auto& pending : anchors_) {
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
            result.anchor = pending.place.toAnchor(sizes, picture.widthEmu, picture.heightEmu);
            if (!showable(bytes, result, pictureBytes))
                continue;
            result.description = picture.description;
            sheet.pictures.push_back(std::move(result));
        }
    }
}

} // namespace engine::package
