#pragma once
// The value syntaxes of OpenDocument attributes: lengths, dates, durations, colours, numbers.

#include "engine/util/CivilDate.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace engine::ods {

// "2.258cm", "0.178in", "12pt" ... in points; nullopt for anything else (percentages too).
std::optional<double> lengthPoints(std::string_view text);

// A number written as xsd:double; nullopt when the text is not one or not finite.
std::optional<double> parseNumber(std::string_view text);

// An unsigned count ("table:number-columns-repeated"); nullopt when not a positive number.
// Counts above `cap` come back as `cap`.
std::optional<std::uint64_t> parseCount(std::string_view text, std::uint64_t cap);

// "2021-01-01" or "2021-01-01T10:10:10.5" (a zone suffix is ignored) as days and fraction of a
// day since 1970-01-01; nullopt when it is not such a date.
std::optional<double> isoDateDays(std::string_view text);

// The same date as a serial number of `dates`, the time of day as its fraction; dates before
// the system's day 0 come out negative.
std::optional<double> isoDateSerial(std::string_view text, DateSystem dates);

// "PT10H10M10.5S", "-P1DT2H" as days; nullopt when it is not a duration.
std::optional<double> durationDays(std::string_view text);

// "#rrggbb" as 0xRRGGBB; nullopt for "transparent" and anything else.
std::optional<std::uint32_t> parseColor(std::string_view text);

} // namespace engine::ods
