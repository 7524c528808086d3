#include "engine/xls/Drawing.h"

#include "engine/base/Limits.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/metafile/Metafile.h"
#include "engine/metafile/MetafileBlip.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/OfficeArt.h"

#include <algorithm>

namespace engine::xls {
namespace {

// Office drawing record types (MS-ODRAW 2.2 and 2.3).
constexpr std::uint16_t bStoreContainer = 0xF001;
constexpr std::uint16_t bse = 0xF007;
constexpr std::uint16_t blipEmf = 0xF01A;
constexpr std::uint16_t blipWmf = 0xF01B;
constexpr std::uint16_t blipPict = 0xF01C;
constexpr std::uint16_t blipJpeg = 0xF01D;
constexpr std::uint16_t blipPng = 0xF01E;
constexpr std::uint16_t blipDib = 0xF01F;
constexpr std::uint16_t blipTiff = 0xF029;
constexpr std::uint16_t blipJpegCmyk = 0xF02A;

std::vector<std::uint8_t> bmpFromDib(std::span<const std::uint8_t> dib) {
    if (dib.size() < 40)
        return {};
    const std::uint32_t headerSize = util::loadU32(dib.data());
    const std::uint16_t bitCount = util::loadU16(dib.data() + 14);
    const std::uint32_t compression = util::loadU32(dib.data() + 16);
    std::uint32_t colors = util::loadU32(dib.data() + 32);
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    std::uint64_t offset = 14ull + headerSize + 4ull * colors;
    if (compression == 3 && headerSize == 40)
        offset += 12;
    const std::uint64_t size = 14ull + dib.size();
    if (offset > size)
        return {};
    std::vector<std::uint8_t> out(14);
    out[0] = 'B';
    out[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        out[2 + i] = static_cast<std::uint8_t>(size >> (8 * i));
        out[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

} // namespace

// Metafiles are played once here, however many shapes show them, and kept as SVG.
// Inflated metafiles and their SVG count towards `total`, so that small compressed blips
// cannot make the store grow without bound.
PictureStore::Image PictureStore::metafileImage(std::span<const std::uint8_t> body,
                                                std::size_t uids, std::uint64_t& total) {
    Image image;
    if (total >= limits::maxPictureBytesPerWorkbook)
        return image;
    const auto stored = metafile::unpackMetafileBlip(
        body, uids,
        std::min<std::uint64_t>(limits::maxPictureBytes,
                                limits::maxPictureBytesPerWorkbook - total));
    if (!stored)
        return image;
    total += stored->bytes.size();
    std::optional<std::pair<double, double>> hint;
    if (stored->widthPt > 0 && stored->heightPt > 0)
        hint = std::make_pair(stored->widthPt, stored->heightPt);
    auto rendered = metafile::tryToSvg(stored->bytes, hint);
    if (rendered && total + rendered->svg.size() <= limits::maxPictureBytesPerWorkbook) {
        total += rendered->svg.size();
        image.mimeType = "image/svg+xml";
        image.data.assign(rendered->svg.begin(), rendered->svg.end());
    }
    return image;
}

PictureStore::PictureStore(std::span<const std::uint8_t> group) {
    std::uint64_t total = 0;
    try {
        util::ByteCursor top(group, "MSODRAWINGGROUP");
        ArtRecord container;
        if (!readArtRecord(top, container))
            return;
        util::ByteCursor in(container.body, "drawing group");
        ArtRecord child;
        while (readArtRecord(in, child)) {
            if (child.type != bStoreContainer)
                continue;
            util::ByteCursor store(child.body, "image store");
            ArtRecord entry;
            while (readArtRecord(store, entry)) {
                Image image;
                if (entry.type == bse && entry.body.size() >= 36) {
                    util::ByteCursor b(entry.body, "image store entry");
                    b.skip(33);
                    const std::uint8_t nameLength = b.u8();
                    b.skip(2);
                    ArtRecord blip;
                    if (b.remaining() >= nameLength) {
                        b.skip(nameLength);
                        if (readArtRecord(b, blip)) {
                            const std::size_t uids = (blip.instance & 1) ? 32 : 16;
                            const std::size_t skip = uids + 1;
                            if (blip.body.size() > skip &&
                                blip.body.size() - skip <= limits::maxPictureBytes &&
                                total + blip.body.size() <= limits::maxFileBytes) {
                                const auto data = blip.body.subspan(skip);
                                total += data.size();
                                switch (blip.type) {
                                case blipJpeg:
                                case blipJpegCmyk:
                                    image.mimeType = "image/jpeg";
                                    image.data.assign(data.begin(), data.end());
                                    break;
                                case blipPng:
                                    image.mimeType = "image/png";
                                    image.data.assign(data.begin(), data.end());
                                    break;
                                case blipTiff:
                                    image.mimeType = "image/tiff";
                                    image.data.assign(data.begin(), data.end());
                                    break;
                                case blipDib:
                                    image.data = bmpFromDib(data);
                                    if (!image.data.empty())
                                        image.mimeType = "image/bmp";
                                    break;
                                case blipEmf:
                                case blipWmf:
                                case blipPict:
                                    image = metafileImage(blip.body, uids, total);
                                    break;
                                default:
                                    break;
                                }
                            }
                        }
                    }
                }
                images_.push_back(std::move(image));
            }
        }
    } catch (const std::exception&) {
        // What was read before the damage stays usable.
    }
}

void PictureStore::addPictures(std::span<const ArtShape> shapes, Sheet& sheet) const {
    if (images_.empty())
        return;
    // Sizes for the metafile player; a page measures its pictures again on its own grid.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (const ArtShape& shape : shapes) {
        if (!shape.anchor || shape.blip == 0 || shape.blip > images_.size())
            continue;
        const Image& image = images_[shape.blip - 1];
        if (image.mimeType.empty() || picturesHandedOut_ >= limits::maxPicturesPerWorkbook ||
            handedOut_ + image.data.size() > limits::maxPictureBytesPerWorkbook)
            continue;
        handedOut_ += image.data.size();
        ++picturesHandedOut_;
        Picture picture;
        picture.mimeType = image.mimeType;
        picture.data = image.data;
        picture.description = shape.description;
        const auto& a = *shape.anchor;
        picture.anchor = drawing::anchorByShares(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        drawing::measureAnchor(picture.anchor, sizes);
        sheet.pictures.push_back(std::move(picture));
    }
}

} // namespace engine::xls
