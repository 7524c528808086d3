#pragma once
// A chart in words, for readers who cannot see it: its name, and its series with their values.

#include "engine/model/Chart.h"

#include <string>

namespace engine::web {

// The chart's title; without one, "Chart of" and its series' names ("Series 1" for a series
// without a name), or "Chart" for a chart without series. Plain text, not escaped.
std::string chartName(const Chart& chart);

// One sentence per series: its name, then each point as "category value" (the point's number
// where it has no category, "no value" where it has none). Plain text, not escaped; cut at a
// bounded length, the cut said with an ellipsis.
std::string chartDescription(const Chart& chart);

} // namespace engine::web
