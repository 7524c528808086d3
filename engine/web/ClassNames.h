#pragma once
// The class names the page's markup and its style rules share. Each is short, since a cell
// carries a few of them and a page can hold a million cells.

#include <string_view>

namespace engine::web::classes {

// Elements.
inline constexpr std::string_view sheet = "sheet";     // the <div> of one worksheet
inline constexpr std::string_view grid = "grid";       // the <table> of its cells
inline constexpr std::string_view chart = "chart";     // a chart, inline or as an image
inline constexpr std::string_view sparkline = "spk";   // a sparkline's <svg> in its cell
inline constexpr std::string_view tabs = "tabs";       // the sheet tabs of a workbook page
inline constexpr std::string_view hidden = "vh";       // read out, never shown
inline constexpr std::string_view lookIcon = "ci";     // a conditional format's icon
inline constexpr std::string_view note = "cm";         // a cell with a note, and its marker
inline constexpr std::string_view turned = "r";        // the turned text of a cell
inline constexpr std::string_view fillLine = "fl";     // a repeated fill character's line
inline constexpr std::string_view fillRepeat = "fc";   // and its repeated part
inline constexpr std::string_view runsToEnd = "re";    // overflowing text kept to its box's end
inline constexpr std::string_view runsBothWays = "ce"; // overflowing text kept to its middle

// Cells.
inline constexpr std::string_view generalRight = "gr";  // a General number, aligned right
inline constexpr std::string_view generalCenter = "gc"; // a General boolean or error, centred
inline constexpr std::string_view overflows = "o";      // text running into its neighbours
inline constexpr std::string_view hashes = "h";         // a number too wide, shown as ####
inline constexpr std::string_view holdsDrawings = "da"; // the first cell of a row with drawings

// Prefixes of numbered classes: a cell format, a fill of blank cells, a rich-text run's font
// and a number format's colour.
inline constexpr char cellFormat = 'x';
inline constexpr char blankFill = 'p';
inline constexpr char runFont = 'f';
inline constexpr char formatColor = 'k';

} // namespace engine::web::classes
