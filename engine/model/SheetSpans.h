#pragma once
// Column spans and row records as the page writer wants them: in order, one claim per column
// and one record per row, whatever order and overlaps the file gave.

#include "engine/model/Sheet.h"

namespace engine {

// Sorts the sheet's column spans, cutting or dropping the later of two that overlap, and its
// row records, keeping the first record of a row written twice.
void normaliseSpans(Sheet& sheet);

} // namespace engine
