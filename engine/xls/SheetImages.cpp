#include "engine/xls/SheetImages.h"

#include "engine/base/Limits.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/metafile/Dib.h"
#include "engine/metafile/Metafile.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/ImageType.h"

#include <algorithm>

namespace engine::xls {
namespace {

// Clipboard formats of IMDATA and BITMAP records (MS-XLS 2.4.19; BIFF5 IMDATA).
constexpr std::uint16_t formatMetafile = 0x02, formatBitmap = 0x09, formatNative = 0x0E;
constexpr std::uint16_t environmentWindows = 1;
constexpr std::uint16_t objectPicture = 8;

} // namespace

void SheetImages::object(std::span<const std::uint8_t> body) {
    anchor_.reset();
    // cObj, ot, id, grbit, then the two corners.
    if (body.size() < 26 || util::loadU16(body.data() + 4) != objectPicture)
        return;
    std::array<std::uint16_t, 8> corners{};
    for (std::size_t i = 0; i < corners.size(); ++i)
        corners[i] = util::loadU16(body.data() + 10 + 2 * i);
    anchor_ = corners;
}

void SheetImages::imageData(std::span<const std::uint8_t> data) {
    const auto anchor = anchor_;
    anchor_.reset();
    if (!anchor || data.size() < 8 || pending_.size() >= limits::maxPicturesPerSheet)
        return;
    Pending picture;
    picture.corners = *anchor;
    picture.format = util::loadU16(data.data());
    picture.environment = util::loadU16(data.data() + 2);
    const std::uint32_t length = util::loadU32(data.data() + 4);
    const auto image = data.subspan(8, std::min<std::size_t>(length, data.size() - 8));
    if (image.size() > limits::maxPictureBytes ||
        bytes_ + image.size() > limits::maxPictureBytesPerWorkbook)
        return;
    bytes_ += image.size();
    picture.data.assign(image.begin(), image.end());
    pending_.push_back(std::move(picture));
}

void SheetImages::finish(Sheet& sheet) {
    if (pending_.empty())
        return;
    // Sizes for the metafile player; a page measures its pictures again on its own grid.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (Pending& pending : pending_) {
        const auto& a = pending.corners;
        Picture picture;
        picture.anchor = drawing::anchorByShares(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        drawing::measureAnchor(picture.anchor, sizes);
        if (pending.environment != environmentWindows)
            continue; // Macintosh pictures
        if (pending.format == formatBitmap) {
            picture.data = metafile::bmpFromPacked(pending.data);
            picture.mimeType = "image/bmp";
        } else if (pending.format == formatNative) {
            picture.mimeType = util::mimeType(util::imageType(pending.data));
            picture.data = std::move(pending.data);
        } else if (pending.format == formatMetafile) {
            std::optional<std::pair<double, double>> hint;
            if (picture.anchor.widthPt > 0 && picture.anchor.heightPt > 0)
                hint = std::make_pair(picture.anchor.widthPt, picture.anchor.heightPt);
            std::span<const std::uint8_t> bytes = pending.data;
            // Some writers put the clipboard's 8-byte picture header before the metafile.
            if (metafile::kindOf(bytes) == metafile::Kind::None && bytes.size() > 8)
                bytes = bytes.subspan(8);
            if (auto rendered = metafile::tryToSvg(bytes, hint)) {
                picture.mimeType = "image/svg+xml";
                picture.data.assign(rendered->svg.begin(), rendered->svg.end());
            }
        }
        if (!picture.mimeType.empty() && !picture.data.empty())
            sheet.pictures.push_back(std::move(picture));
    }
    pending_.clear();
}

std::optional<Picture> SheetImages::background(std::span<const std::uint8_t> data) {
    if (data.size() < 8)
        return std::nullopt;
    const std::uint16_t format = util::loadU16(data.data());
    const std::uint32_t length = util::loadU32(data.data() + 4);
    const auto image = data.subspan(8, std::min<std::size_t>(length, data.size() - 8));
    if (image.size() > limits::maxPictureBytes)
        return std::nullopt;
    Picture picture;
    if (format == formatBitmap) {
        picture.data = metafile::bmpFromPacked(image);
        picture.mimeType = "image/bmp";
    } else if (format == formatNative) {
        picture.mimeType = util::mimeType(util::imageType(image));
        picture.data.assign(image.begin(), image.end());
    }
    if (picture.mimeType.empty() || picture.data.empty())
        return std::nullopt;
    return picture;
}

} // namespace engine::xls
