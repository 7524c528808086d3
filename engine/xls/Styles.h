#pragma once
// FONT, FORMAT, XF and PALETTE records of every BIFF version, gathered while the stream is read
// and turned into the model's tables once the palette is known (PALETTE may come last).

#include "engine/model/Workbook.h"
#include "engine/util/Text.h"
#include "engine/xls/Palette.h"
#include "engine/xls/RecordReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::xls {

class Styles {
public:
    // `version` is 2, 3, 4, 5 or 8; `decoder` reads 8-bit names and format codes.
    Styles(int version, util::CodePageDecoder& decoder)
        : version_(version), decoder_(decoder), palette_(version <= 4 ? 24 : 64) {}

    void font(const Record& record);
    void fontColor(const Record& record); // BIFF2 FONTCOLOR: colour of the last font
    void format(const Record& record, Workbook& workbook);
    void xf(const Record& record);
    void palette(const Record& record);

    std::size_t xfCount() const { return xfs_.size(); }
    // The colours known so far (BIFF8 keeps its PALETTE among the globals, before any sheet).
    const Palette& colors() const { return palette_; }

    // Fills the workbook's fonts, fills, borders and cell formats, one cell format per XF in
    // record order (so a cell's XF number is its format index).
    void resolve(Workbook& workbook) const;

private:
    struct RawFont {
        Font font;
        std::uint16_t color = 0x7FFF;
    };
    struct RawSide {
        BorderStyle style = BorderStyle::None;
        std::uint16_t color = 0x40;
    };
    struct RawXf {
        std::uint16_t font = 0;
        std::uint32_t numFmt = 0;
        Alignment alignment;
        RawSide left, right, top, bottom, diagonal;
        bool diagonalDown = false, diagonalUp = false;
        FillPattern pattern = FillPattern::None;
        std::uint16_t foreground = 0x40, background = 0x41;
    };

    int version_;
    util::CodePageDecoder& decoder_;
    Palette palette_;
    std::vector<RawFont> fonts_;
    std::vector<RawXf> xfs_;
    std::vector<std::uint32_t> formatByOrder_; // BIFF2-4: FORMAT records are numbered by order
};

} // namespace engine::xls
