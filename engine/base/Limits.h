#pragma once
// Every bound on a size, count or depth the engine takes from a file, or on the work it does
// for one. Each name says its unit: Bytes, Depth, Pixels, Ratio, Units (UTF-16 code units),
// or the plural of what it counts. Past a bound a reader either fails with ReadError or cuts
// what it keeps, as its own header says; the values sit far above anything the application
// writes, so only damaged or hostile files reach them.

#include <cstddef>
#include <cstdint>

namespace engine::limits {

// Package and XML: the file, its ZIP entries, compound streams and records, XML nesting.
inline constexpr std::uint64_t maxFileBytes = 1ull << 30;          // a workbook file
inline constexpr std::uint64_t maxPartBytes = 1ull << 30;          // one decompressed ZIP entry
inline constexpr std::uint64_t maxTotalInflatedBytes = 4ull << 30; // all entries of a package
inline constexpr std::uint64_t maxCompressionRatio = 1000;         // inflated / compressed
inline constexpr std::uint64_t compressionRatioFloorBytes =
    1u << 20; // entries below this skip the ratio test
// XML parts other than worksheets and shared strings (styles, relationships, drawings ...)
inline constexpr std::uint64_t maxSmallPartBytes = 256ull << 20;
inline constexpr std::uint64_t maxMimetypeBytes = 256;  // the mimetype entry of an .ods package
inline constexpr std::size_t maxSettingValueBytes = 32; // a number among an .ods view's settings
inline constexpr std::size_t maxXmlDepth = 256;
// Namespace declarations in scope at once, and attributes of one element: the XML library
// checks each new one against the others of its element, so their number bounds its work per
// element. Real parts declare a few dozen namespaces, on the root, and give an element a few
// dozen attributes at most.
inline constexpr std::size_t maxXmlNamespacesInScope = 1024;
inline constexpr std::size_t maxXmlAttributes = 256;
// The library reads a start tag whole before checking its attributes against each other in
// quadratic time: a tag this long costs it about a second at worst; real ones are far shorter
// (a long formula or drawing path is tens of kilobytes).
inline constexpr std::size_t maxXmlMarkupBytes = 512 * 1024;
// One record of a binary part: no writer comes near it, a larger size is a damaged header.
inline constexpr std::uint32_t maxBinaryRecordBytes = 16u << 20;

// Cells and strings: the grid, the sheets, and the texts a cell keeps.
inline constexpr std::size_t maxSheets = 65535;
inline constexpr std::uint32_t maxRows = 1048576;  // rows 0 .. maxRows-1
inline constexpr std::uint32_t maxColumns = 16384; // columns 0 .. maxColumns-1
inline constexpr std::uint64_t maxCellsPerWorkbook = 50'000'000;
inline constexpr std::size_t maxStrings = 20'000'000;
inline constexpr std::size_t maxMerges = 1'000'000;
inline constexpr std::size_t maxHyperlinks = 1'000'000; // per sheet
// One text the model keeps for a cell: its value, its formula, a comment on it (UTF-8).
inline constexpr std::size_t maxTextBytes = 1u << 20;
// Formatting runs of one rich text, in a cell or a text box: far more than any shows.
inline constexpr std::size_t maxTextRuns = 10'000;
// Repeat counts of .ods rows and columns are kept as written up to this, so errors can quote
// them; products of two stay far below the 64-bit range.
inline constexpr std::uint64_t maxRepeatCount = 1'000'000'000'000ull;
// A formatted but empty run larger than this is the file's way of styling rows or columns to
// the end of the sheet; the page shows no more than its values' area, so it is not kept.
inline constexpr std::uint64_t maxBlankRunCells = 16384;
inline constexpr std::size_t maxPendingRows = 100'000; // formatted rows held until a value

// Styles: style tables, number formats, conditional formats.
// More of any one table than the application allows (64,000 cell formats) means a broken part.
inline constexpr std::size_t maxStyleEntries = 1u << 20;
// XF, FONT and FORMAT records of a binary workbook: its indexes into them have 16 bits.
inline constexpr std::size_t maxXlsStyleRecords = 1u << 16;
inline constexpr std::size_t maxStylesPerDocument = 200'000; // named and automatic .ods styles
// The fixed denominator of an .ods fraction style: the parts a whole is cut into, far more than
// any shows.
inline constexpr std::uint64_t maxFixedDenominatorParts = 1'000'000;
// White space an .ods inline picture's base64 text may hold beyond its four characters for
// every three bytes of maxPictureBytes.
inline constexpr std::size_t maxBase64SlackBytes = 1u << 20;
inline constexpr std::size_t maxStyleParentDepth = 32; // a longer chain is a loop or hostile
// Format codes are at most 255 characters in the application; anything longer is cut so that a
// hostile code cannot make parsing or formatting expensive.
inline constexpr std::size_t maxFormatCodeBytes = 1024;
inline constexpr int maxFormatDigits = 30; // digits one part of a format code asks for
// A font size from 4096 points up (the application allows 409) is damage: the default is kept.
inline constexpr double maxFontPoints = 4096;
inline constexpr std::size_t maxFontNameBytes = 255; // longer names are cut
// Conditional formats: the ranges one format applies to, and the rules of a sheet.
inline constexpr std::size_t maxConditionalRanges = 4096;
inline constexpr std::size_t maxConditionalRules = 1'000'000;

// Drawings and pictures: anchors, shapes and their text, embedded images.
inline constexpr std::size_t maxPictureBytes = 64u << 20;
inline constexpr std::uint64_t maxPictureBytesPerWorkbook = 256u << 20; // all pictures' copies
inline constexpr std::size_t maxPicturesPerSheet = 100'000;
// Tiny images repeated by a hostile drawing would otherwise cost a model entry each.
inline constexpr std::size_t maxPicturesPerWorkbook = 65536;
inline constexpr std::size_t maxDrawingAnchors = 100'000; // anchors of one drawing part
inline constexpr std::size_t maxShapesPerSheet = 65536;
inline constexpr std::size_t maxArtContainerDepth = 16; // nested drawing containers
inline constexpr std::size_t maxArtProperties = 512;    // properties of one drawing shape
inline constexpr std::size_t maxShapeTextBytes = 8192;  // the text of one shape
inline constexpr std::size_t maxShapeTextLines = 200;   // the lines of one shape
inline constexpr std::size_t maxShapeTextBytesPerSheet = 16u << 20;
// No drawing is placed further than this from its cell; a larger value is taken as damage.
inline constexpr long long maxAnchorOffsetPixels = 1LL << 24;
// A picture header claiming a larger side is damaged; the page gives no size for it.
inline constexpr std::uint32_t maxImageSidePixels = 1u << 16;
inline constexpr std::size_t maxDrawnTextBytes = 512; // one text drawn into a picture's SVG
// Sparklines of a sheet (all groups together), the values one of them draws, and its data
// reference: a longer one is no plain range of one sheet, so it is not drawn.
inline constexpr std::size_t maxSparklines = 100'000;
inline constexpr std::size_t maxSparklinePoints = 4096;
inline constexpr std::size_t maxSparklineReferenceBytes = 1024;

// Charts: no chart shows more; past these a chart (or its series) is cut short.
inline constexpr std::size_t maxChartsPerSheet = 10'000;
inline constexpr std::size_t maxChartsPerWorkbook = 10'000; // where one stream holds them all
inline constexpr std::size_t maxChartPlots = 64;
inline constexpr std::size_t maxChartSeries = 4096;
// Points of one series, so also the cells one reference of a chart may span.
inline constexpr std::uint64_t maxChartSeriesPoints = 1'000'000;
// Data points with styles of their own; a repeat count multiplies them, hence the lower bound.
inline constexpr std::size_t maxStyledChartPoints = 100'000;
// Cells all charts of a workbook may show from its sheets together.
inline constexpr std::size_t maxLinkedPointsPerWorkbook = 20'000'000;
inline constexpr std::size_t maxReferenceAreas = 64;  // areas of one chart data reference
inline constexpr std::size_t maxChartBlockDepth = 64; // nested begin/end blocks of a chart stream
// A chart's own table of values: its cells, its rows, and the values its series take from it.
inline constexpr std::size_t maxChartTableCells = 1'000'000;
inline constexpr std::size_t maxChartTableRows = 100'000;
inline constexpr std::size_t maxChartTablePoints = 1'000'000;
// A chart's title, label, series name, or a cell of its own table.
inline constexpr std::size_t maxChartTextBytes = 64u << 10;
inline constexpr std::size_t maxLegendEntries = 64;
inline constexpr std::size_t maxChartCategoryLevels = 4; // outer levels of category labels
inline constexpr int maxAxisLabels = 1000;               // past it an axis's labels are left out

// Metafiles and the bitmaps inside them.
inline constexpr std::size_t maxMetafileRecords = 4'000'000; // records or opcodes played
inline constexpr std::size_t maxMetafileObjects = 65535;     // object table entries
inline constexpr std::size_t maxSavedContextDepth = 1024;    // SaveDC nesting
inline constexpr std::size_t maxPolygonPoints = 16384;
inline constexpr std::uint64_t maxBitmapPixels = 1ull << 26; // larger bitmaps are left out
// The SVG of one picture stops growing here; what was drawn before stays.
inline constexpr std::size_t maxMetafileSvgBytes = 48u << 20;
// Hatch patterns and clip rectangles past these are not applied: each costs an SVG definition.
inline constexpr std::size_t maxSvgPatterns = 256;
inline constexpr std::size_t maxSvgClips = 4096;

// Formulas: their text and tokens, the names and links they use, and calculating them.
// The application allows 8,192 characters of formula text and 1,024 levels of operands, so
// anything past these is not a formula it wrote.
inline constexpr std::size_t maxFormulaTextBytes = 64u << 10;
inline constexpr std::size_t maxTokenStackDepth = 1024;
inline constexpr int maxFormulaNestingDepth = 256; // of formula text: safe for the stack
inline constexpr std::uint32_t maxArrayConstantCells = 64u << 10;
inline constexpr std::size_t maxFormulaGroups = 1u << 22; // shared and array formulas of a sheet
inline constexpr std::size_t maxDefinedNames = maxSheets * 64;
inline constexpr std::size_t maxLinkTableEntries = 65536; // linked books and their sheet entries
// A chain of formulas each waiting for the next is followed this deep on the stack; deeper
// ones are computed first from a queue of their own, so a long chain costs no stack.
inline constexpr int maxCalculationDepth = 40;
inline constexpr int maxNameNestingDepth = 16; // names defined by names
// A LAMBDA calling itself, through a name or LET, is followed this deep on the stack.
inline constexpr int maxLambdaDepth = 100;
// GROUPBY and PIVOTBY nest a level of groups per field column, followed on the stack.
inline constexpr std::uint32_t maxGroupingDepth = 64;
// The largest block an operator turns into values (A:A*B:B would be two million).
inline constexpr std::uint64_t maxMatrixCells = 1u << 20;
// More entries than this across all lookup indexes, and lookups go back to scanning.
inline constexpr std::uint64_t maxLookupIndexEntries = 4'000'000;
// The longest text a cell holds; longer text results are #VALUE!.
inline constexpr std::size_t maxTextResultUnits = 32767;
// A regular expression given in a formula may take this many backtracking steps for one
// search and this much memory (KiB) for its backtracking, so a hostile pattern cannot hang the
// calculation; one that needs more answers an error.
inline constexpr std::uint32_t maxRegexMatchSteps = 1'000'000;
inline constexpr std::uint32_t maxRegexHeapKib = 16 * 1024;
// The longest pattern a formula may give.
inline constexpr std::size_t maxRegexPatternBytes = 8192;
// FILTERXML: the steps one XPath query may take and the nodes it may answer with, so that a
// query nesting its own paths cannot hang the calculation.
inline constexpr unsigned long maxXPathOperations = 10'000'000;
inline constexpr std::size_t maxXPathResults = 65536;

// Tables: how many a workbook holds, and the columns one names.
inline constexpr std::size_t maxTables = 65535;
inline constexpr std::size_t maxTableColumnNameBytes = 1024;
// Cell metadata: the blocks of the metadata part, and the records they hold together.
inline constexpr std::size_t maxMetadataRecords = 1'000'000;

// Comments: notes and threaded comments of a sheet, and the people who wrote them.
inline constexpr std::size_t maxCommentsPerSheet = 1'000'000;
inline constexpr std::size_t maxNoteBytesPerSheet = 64u << 20; // all notes' text together
inline constexpr std::size_t maxRepliesPerComment = 1000;
inline constexpr std::size_t maxCommentAuthors = 1'000'000;
inline constexpr std::size_t maxAuthorNameBytes = 256;

// Page writing: what one page takes from the model.
inline constexpr std::size_t maxPageTitleBytes = 4096;       // a page title or sheet name
inline constexpr std::size_t maxNoteMarkerBytes = 32u << 10; // a note's tooltip or box
inline constexpr std::size_t maxChartWordsBytes = 16u << 10; // a chart's values read out
// No chart is drawn larger than this; a bigger anchor is taken as damage.
inline constexpr int maxChartSidePixels = 4000;
// Hyperlinks over large areas are spread over at most this many cells in all; beyond it only
// the top-left cell of an area carries the link.
inline constexpr std::size_t maxHyperlinkCellsPerSheet = 1u << 20;
// Values drawn by all the sparklines of one sheet; sparklines past it are left out.
inline constexpr std::size_t maxSparklinePointsPerSheet = 4u << 20;
// Cells looked at over all conditional rules of a sheet; rules past it are left out (and
// counted), so that a sheet of whole-column rules over a million cells stays quick.
inline constexpr std::uint64_t maxConditionalVisitsPerSheet = 20'000'000;

} // namespace engine::limits
