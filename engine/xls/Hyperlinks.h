#pragma once
// HLINK and HLINKTOOLTIP records. Links are only read, never followed: a file moniker's path is
// kept as text, like any other target.

#include "engine/model/Sheet.h"
#include "engine/xls/RecordReader.h"

#include <optional>
#include <vector>

namespace engine::xls {

// The link an HLINK record describes; nothing when the record holds no target or location we
// can show (an unknown moniker). Throws ReadError(Damaged) when the record is cut short.
std::optional<Hyperlink> readHyperlink(const Record& record);

// Gives the tooltip of an HLINKTOOLTIP record to the latest of the last few `links` whose range
// matches; nothing happens when none does.
void readHyperlinkTooltip(const Record& record, std::vector<Hyperlink>& links);

} // namespace engine::xls
