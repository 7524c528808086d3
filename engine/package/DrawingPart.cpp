#include "engine/package/DrawingPart.h"

#include "engine/metafile/Metafile.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/read/Limits.h"
#include "engine/util/ImageType.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::xlsx {
namespace {

struct PendingPicture {
    std::string embedId;
    std::string description;
    double widthEmu = 0, heightEmu = 0;
};

struct PendingAnchor {
    DrawingAnchor place;
    std::vector<PendingPicture> pictures;
};

class DrawingHandler : public xml::Handler {
public:
    explicit DrawingHandler(std::vector<PendingAnchor>& anchors) : anchors_{anchors, {}} {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        path_.emplace_back(local);
        if (skip_.start(ns, local))
            return;
        if (anchors_.reader.start(local, attributes, path_.size())) {
            if (local.ends_with("Anchor")) {
                pictures_.clear();
                inPicture_ = false;
            }
            return;
        }
        if (!anchors_.reader.inAnchor())
            return;
        std::string_view parent;
        if (path_.size() >= 2)
            parent = path_[path_.size() - 2];
        if (local == "pic" && pictureCount_ < limits::maxPicturesPerSheet) {
            pictures_.emplace_back();
            ++pictureCount_;
            inPicture_ = true;
        } else if (inPicture_ && local == "cNvPr") {
            pictures_.back().description = attributes.value("descr");
        } else if (inPicture_ && local == "blip") {
            pictures_.back().embedId = attributes.value("embed");
        } else if (inPicture_ && local == "ext" && parent == "xfrm") {
            pictures_.back().widthEmu = emu(attributes, "cx");
            pictures_.back().heightEmu = emu(attributes, "cy");
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        const std::size_t depth = path_.size();
        path_.pop_back();
        if (skip_.end())
            return;
        if (local == "pic")
            inPicture_ = false;
        if (anchors_.reader.end(local, depth)) {
            if (!pictures_.empty() && anchors_.list.size() < limits::maxDrawingAnchors)
                anchors_.list.push_back({anchors_.reader.current(), std::move(pictures_)});
            pictures_.clear();
        }
    }

    void characters(std::string_view text) override { anchors_.reader.characters(text); }

private:
    struct Anchors {
        std::vector<PendingAnchor>& list;
        DrawingAnchorReader reader;
    } anchors_;
    FallbackSkip skip_;
    std::vector<std::string> path_;
    std::vector<PendingPicture> pictures_;
    std::size_t pictureCount_ = 0;
    bool inPicture_ = false;
};

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

void readDrawing(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                 std::uint64_t& pictureBytes) {
    std::vector<PendingAnchor> anchors;
    DrawingHandler handler(anchors);
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    if (anchors.empty())
        return;

    const Relationships relationships = Relationships::read(archive, part);
    // Sizes for the metafile player and for readers of the model; a page measures its
    // drawings again on its own grid.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
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
            result.anchor = pending.place.toAnchor(sizes, picture.widthEmu, picture.heightEmu);
            if (!showable(bytes, result, pictureBytes))
                continue;
            result.description = picture.description;
            sheet.pictures.push_back(std::move(result));
        }
    }
}

} // namespace engine::xlsx
