#include "engine/xls/Drawing.h"

#include "engine/drawing/AnchorBox.h"
#include "engine/metafile/Metafile.h"
#include "engine/metafile/MetafileBlip.h"
#include "engine/read/Limits.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <algorithm>

namespace engine::xls {
namespace {

// Office drawing record types (MS-ODRAW 2.2 and 2.3).
constexpr std::uint16_t bStoreContainer = 0xF001;
constexpr std::uint16_t bse = 0xF007;
constexpr std::uint16_t spContainer = 0xF004;
constexpr std::uint16_t fopt = 0xF00B;
constexpr std::uint16_t clientAnchor = 0xF010;
constexpr std::uint16_t blipEmf = 0xF01A;
constexpr std::uint16_t blipWmf = 0xF01B;
constexpr std::uint16_t blipPict = 0xF01C;
constexpr std::uint16_t blipJpeg = 0xF01D;
constexpr std::uint16_t blipPng = 0xF01E;
constexpr std::uint16_t blipDib = 0xF01F;
constexpr std::uint16_t blipTiff = 0xF029;
constexpr std::uint16_t blipJpegCmyk = 0xF02A;
constexpr std::uint16_t propertyBlip = 0x0104;        // pib
constexpr std::uint16_t propertyDescription = 0x0381; // wzDescription
constexpr std::size_t maxDepth = 16;
// Far more pictures than any real workbook shows; tiny images repeated by a hostile drawing
// would otherwise cost a model entry each.
constexpr std::size_t maxPicturesPerWorkbook = 65536;

struct Header {
    std::uint16_t version = 0, instance = 0, type = 0;
    std::uint32_t length = 0;
    std::span<const std::uint8_t> body;
};

// Reads the record at the cursor; its body is clipped to what is there, as drawings written
// by some tools declare containers a little longer than their content.
bool readHeader(util::ByteCursor& in, Header& header) {
    if (in.remaining() < 8)
        return false;
    const std::uint16_t verInstance = in.u16();
    header.version = verInstance & 0x0F;
    header.instance = verInstance >> 4;
    header.type = in.u16();
    header.length = in.u32();
    const std::size_t take = std::min<std::size_t>(header.length, in.remaining());
    header.body = in.bytes(take);
    return true;
}

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
        Header container;
        if (!readHeader(top, container))
            return;
        util::ByteCursor in(container.body, "drawing group");
        Header child;
        while (readHeader(in, child)) {
            if (child.type != bStoreContainer)
                continue;
            util::ByteCursor store(child.body, "image store");
            Header entry;
            while (readHeader(store, entry)) {
                Image image;
                if (entry.type == bse && entry.body.size() >= 36) {
                    util::ByteCursor b(entry.body, "image store entry");
                    b.skip(33);
                    const std::uint8_t nameLength = b.u8();
                    b.skip(2);
                    Header blip;
                    if (b.remaining() >= nameLength) {
                        b.skip(nameLength);
                        if (readHeader(b, blip)) {
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

void PictureStore::addPictures(std::span<const std::uint8_t> drawing, Sheet& sheet) const {
    if (images_.empty() || drawing.empty())
        return;
    // Sizes for the metafile player; a page measures its pictures again on its own grid.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    auto walk = [&](auto& self, std::span<const std::uint8_t> bytes, std::size_t depth) -> void {
        if (depth > maxDepth)
            return;
        util::ByteCursor in(bytes, "drawing");
        Header h;
        while (readHeader(in, h)) {
            if (h.type != spContainer) {
                if (h.version == 0x0F)
                    self(self, h.body, depth + 1);
                continue;
            }
            std::uint32_t blip = 0;
            std::string description;
            bool anchored = false;
            std::uint16_t a[9] = {};
            util::ByteCursor shape(h.body, "shape");
            Header part;
            while (readHeader(shape, part)) {
                if (part.type == fopt) {
                    util::ByteCursor props(part.body, "shape properties");
                    const std::size_t count = part.instance;
                    std::vector<std::pair<std::uint16_t, std::uint32_t>> complex;
                    for (std::size_t i = 0; i < count && props.remaining() >= 6; ++i) {
                        const std::uint16_t id = props.u16();
                        const std::uint32_t value = props.u32();
                        if ((id & 0x3FFF) == propertyBlip && (id & 0x4000))
                            blip = value;
                        if (id & 0x8000)
                            complex.emplace_back(id & 0x3FFF, value);
                    }
                    for (const auto& [id, length] : complex) {
                        if (length > props.remaining())
                            break;
                        const auto data = props.bytes(length);
                        if (id == propertyDescription) {
                            std::size_t n = 0;
                            while (n + 1 < data.size() && (data[n] | data[n + 1]) != 0)
                                n += 2;
                            description.clear();
                            util::appendUtf16le(description, data.first(n));
                        }
                    }
                } else if (part.type == clientAnchor && part.body.size() >= 18) {
                    util::ByteCursor anchor(part.body, "anchor");
                    for (auto& v : a)
                        v = anchor.u16();
                    anchored = true;
                }
            }
            if (!anchored || blip == 0 || blip > images_.size())
                continue;
            const Image& image = images_[blip - 1];
            if (image.mimeType.empty() || picturesHandedOut_ >= maxPicturesPerWorkbook ||
                handedOut_ + image.data.size() > limits::maxPictureBytesPerWorkbook)
                continue;
            handedOut_ += image.data.size();
            ++picturesHandedOut_;
            Picture picture;
            picture.mimeType = image.mimeType;
            picture.data = image.data;
            picture.description = description;
            picture.anchor =
                drawing::anchorByShares(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
            drawing::measureAnchor(picture.anchor, sizes);
            sheet.pictures.push_back(std::move(picture));
        }
    };
    try {
        walk(walk, drawing, 0);
    } catch (const std::exception&) {
        // A broken drawing costs the pictures after the damage, never the sheet.
    }
}

} // namespace engine::xls
