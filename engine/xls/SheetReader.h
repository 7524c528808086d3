#pragma once
// The records of one worksheet substream (BIFF2-8) turned into a Sheet of the model.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/Workbook.h"
#include "engine/util/Text.h"
#include "engine/xls/ChartStream.h"
#include "engine/xls/Drawing.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/Styles.h"

#include <cstdint>

namespace engine::xls {

// What every substream of one workbook shares while it is read.
struct BiffContext {
    int version = 8; // 2, 3, 4, 5 or 8
    Workbook& workbook;
    util::CodePageDecoder& decoder;
    Styles& styles;
    std::uint32_t sstCount = 0;  // strings 0..sstCount-1 of the workbook are the shared strings
    std::uint64_t cellCount = 0; // over the whole workbook, checked against the limit
    std::vector<PendingChart> charts; // embedded charts and chart sheets, placed at the end
    formula::tokens::FormulaCells* formulas = nullptr; // of the sheet being read (BIFF8)
};

// Reads from the record after the substream's BOF up to its EOF (or the end of the stream)
// into `sheet`. Embedded substreams (charts on the sheet) are skipped whole. For BIFF2-4 the
// style records inside the substream go to `context.styles`. Pictures come from `pictures`.
// Throws ReadError.
void readSheet(RecordReader& reader, BiffContext& context, Sheet& sheet,
               const PictureStore& pictures);

} // namespace engine::xls
