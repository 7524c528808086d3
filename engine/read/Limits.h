#pragma once
// Every size the readers take from a file is checked against these before it is trusted.

#include <cstddef>
#include <cstdint>

namespace engine::limits {

inline constexpr std::uint64_t maxFileBytes = 1ull << 30;          // a workbook file
inline constexpr std::uint64_t maxPartBytes = 1ull << 30;          // one decompressed ZIP entry
inline constexpr std::uint64_t maxTotalInflatedBytes = 4ull << 30; // all entries of a package
inline constexpr std::uint64_t maxCompressionRatio = 1000;         // inflated / compressed
inline constexpr std::uint64_t compressionRatioFloor =
    1u << 20; // entries below this skip the ratio test
inline constexpr std::size_t maxXmlDepth = 256;
inline constexpr std::size_t maxSheets = 65535;
inline constexpr std::uint32_t maxRows = 1048576;  // rows 0 .. maxRows-1
inline constexpr std::uint32_t maxColumns = 16384; // columns 0 .. maxColumns-1
inline constexpr std::uint64_t maxCellsPerWorkbook = 50'000'000;
inline constexpr std::size_t maxStrings = 20'000'000;
inline constexpr std::size_t maxMerges = 1'000'000;
inline constexpr std::size_t maxPictureBytes = 64u << 20;
inline constexpr std::uint64_t maxPictureBytesPerWorkbook = 256u << 20; // all pictures' copies
inline constexpr std::size_t maxTextBytes = 1u << 20;   // one string of a cell (UTF-8)
inline constexpr std::size_t maxChartTextBytes = 4096;  // a chart's title, label or series name
inline constexpr std::size_t maxDrawnTextBytes = 512;   // one text drawn into a picture's SVG
inline constexpr std::size_t maxHyperlinks = 1'000'000; // per sheet
// Conditional formats: the ranges one format applies to, and the rules of a sheet.
inline constexpr std::size_t maxConditionalRanges = 4096;
inline constexpr std::size_t maxConditionalRules = 1'000'000;
// Sparklines of a sheet (all groups together), and the values one of them draws.
inline constexpr std::size_t maxSparklines = 100'000;
inline constexpr std::size_t maxSparklinePoints = 4096;
// XML parts other than worksheets and shared strings (styles, relationships, drawings ...)
inline constexpr std::uint64_t maxSmallPartBytes = 256ull << 20;

} // namespace engine::limits
