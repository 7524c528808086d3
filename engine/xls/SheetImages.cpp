#include "engine/xls/SheetImages.h"

#include "engine/metafile/Dib.h"
#include "engine/metafile/Metafile.h"
#include "engine/read/Limits.h"
#include "engine/util/ByteCursor.h"

#include <algorithm>

namespace engine::xls {
namespace {

// Clipboard formats of IMDATA and BITMAP records (MS-XLS 2.4.19; BIFF5 IMDATA).
constexpr std::uint16_t formatMetafile = 0x02, formatBitmap = 0x09, formatNative = 0x0E;
constexpr std::uint16_t environmentWindows = 1;
constexpr std::uint16_t objectPicture = 8;
// Far more than a sheet of an old workbook holds.
constexpr std::size_t maxPicturesPerSheet = 4096;

// Where columns and rows start, in points, for the anchors of one sheet.
class CellGrid {
public:
    explicit CellGrid(const Sheet& sheet) : sheet_(sheet), colStart_(257, 0.0) {
        std::vector<double> widths(256, sheet.defaultColumnWidth);
        for (const ColumnInfo& info : sheet.columns)
            for (std::uint32_t c = info.firstCol; c <= info.lastCol && c < 256; ++c)
                widths[c] = info.hidden ? 0 : info.width;
        for (std::size_t c = 0; c < 256; ++c)
            colStart_[c + 1] = colStart_[c] + widths[c] * 7 * 0.75; // 7-pixel digits, 3/4 pt
        extra_.assign(sheet.rows.size() + 1, 0.0);
        for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
            const RowInfo& row = sheet.rows[i];
            const double height =
                row.hidden ? 0.0 : (row.height > 0 ? row.height : sheet.defaultRowHeight);
            extra_[i + 1] = extra_[i] + height - sheet.defaultRowHeight;
        }
    }
    double colStart(std::uint16_t col) const { return colStart_[std::min<std::size_t>(col, 256)]; }
    double rowStart(std::uint32_t row) const {
        const auto it =
            std::lower_bound(sheet_.rows.begin(), sheet_.rows.end(), row,
                             [](const RowInfo& info, std::uint32_t r) { return info.row < r; });
        return row * sheet_.defaultRowHeight +
               extra_[static_cast<std::size_t>(it - sheet_.rows.begin())];
    }
    // Offsets are 1/1024 of a column's width and 1/256 of a row's height.
    double x(std::uint16_t col, std::uint16_t offset) const {
        const std::uint16_t c = std::min<std::uint16_t>(col, 255);
        return colStart(c) + (colStart(c + 1) - colStart(c)) * std::min<int>(offset, 1024) / 1024.0;
    }
    double y(std::uint16_t row, std::uint16_t offset) const {
        const double top = rowStart(row);
        return top + (rowStart(row + 1u) - top) * std::min<int>(offset, 256) / 256.0;
    }

private:
    const Sheet& sheet_;
    std::vector<double> colStart_, extra_;
};

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
    if (!anchor || data.size() < 8 || pending_.size() >= maxPicturesPerSheet)
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
    const CellGrid grid(sheet);
    for (Pending& pending : pending_) {
        const auto& a = pending.corners;
        Picture picture;
        const double left = grid.x(a[0], a[1]), top = grid.y(a[2], a[3]);
        picture.anchor.col = std::min<std::uint16_t>(a[0], 255);
        picture.anchor.row = a[2];
        picture.anchor.colOffsetPt = left - grid.colStart(picture.anchor.col);
        picture.anchor.rowOffsetPt = top - grid.rowStart(a[2]);
        picture.anchor.widthPt = std::max(0.0, grid.x(a[4], a[5]) - left);
        picture.anchor.heightPt = std::max(0.0, grid.y(a[6], a[7]) - top);
        if (pending.environment != environmentWindows)
            continue; // Macintosh pictures
        if (pending.format == formatBitmap) {
            picture.data = metafile::bmpFromPacked(pending.data);
            picture.mimeType = "image/bmp";
        } else if (pending.format == formatNative) {
            picture.mimeType = metafile::sniffImageType(pending.data);
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
        picture.mimeType = metafile::sniffImageType(image);
        picture.data.assign(image.begin(), image.end());
    }
    if (picture.mimeType.empty() || picture.data.empty())
        return std::nullopt;
    return picture;
}

} // namespace engine::xls
