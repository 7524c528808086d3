#pragma once
// Record numbers of the binary workbook parts, with the section of the published format
// reference (MS-XLSB) each comes from; records without a number here are named by their
// record name in that reference's record enumeration.

#include <cstdint>

namespace engine::xlsb::rec {

// Cells of a worksheet's sheet data.
inline constexpr std::uint16_t RowHdr = 0;       // BrtRowHdr, MS-XLSB 2.4.761
inline constexpr std::uint16_t CellBlank = 1;    // BrtCellBlank, MS-XLSB 2.4.316
inline constexpr std::uint16_t CellRk = 2;       // BrtCellRk, MS-XLSB 2.4.324
inline constexpr std::uint16_t CellError = 3;    // BrtCellError, MS-XLSB 2.4.318
inline constexpr std::uint16_t CellBool = 4;     // BrtCellBool, MS-XLSB 2.4.317
inline constexpr std::uint16_t CellReal = 5;     // BrtCellReal, MS-XLSB 2.4.323
inline constexpr std::uint16_t CellSt = 6;       // BrtCellSt, MS-XLSB 2.4.327
inline constexpr std::uint16_t CellIsst = 7;     // BrtCellIsst, MS-XLSB 2.4.321
inline constexpr std::uint16_t FmlaString = 8;   // BrtFmlaString, MS-XLSB 2.4.680
inline constexpr std::uint16_t FmlaNum = 9;      // BrtFmlaNum, MS-XLSB 2.4.679
inline constexpr std::uint16_t FmlaBool = 10;    // BrtFmlaBool, MS-XLSB 2.4.677
inline constexpr std::uint16_t FmlaError = 11;   // BrtFmlaError, MS-XLSB 2.4.678
inline constexpr std::uint16_t CellRString = 62; // BrtCellRString, MS-XLSB 2.4.325
inline constexpr std::uint16_t CellMeta = 49;    // BrtCellMeta, MS-XLSB 2.4.322
inline constexpr std::uint16_t ArrFmla = 426;    // BrtArrFmla
inline constexpr std::uint16_t ShrFmla = 427;    // BrtShrFmla

// Shared strings part.
inline constexpr std::uint16_t SstItem = 19;   // BrtSSTItem, MS-XLSB 2.4.798
inline constexpr std::uint16_t BeginSst = 159; // BrtBeginSst, MS-XLSB 2.4.230
inline constexpr std::uint16_t EndSst = 160;   // BrtEndSst, MS-XLSB 2.4.580

// Styles part.
inline constexpr std::uint16_t Font = 43;                // BrtFont, MS-XLSB 2.4.683
inline constexpr std::uint16_t Fmt = 44;                 // BrtFmt, MS-XLSB 2.4.681
inline constexpr std::uint16_t Fill = 45;                // BrtFill
inline constexpr std::uint16_t Border = 46;              // BrtBorder, MS-XLSB 2.4.311
inline constexpr std::uint16_t Xf = 47;                  // BrtXF, MS-XLSB 2.4.865
inline constexpr std::uint16_t BeginStyleSheet = 278;    // BrtBeginStyleSheet
inline constexpr std::uint16_t IndexedColor = 475;       // BrtIndexedColor, MS-XLSB 2.4.690
inline constexpr std::uint16_t BeginIndexedColors = 565; // BrtBeginIndexedColors, MS-XLSB 2.4.93
inline constexpr std::uint16_t EndIndexedColors = 566;   // BrtEndIndexedColors
inline constexpr std::uint16_t BeginFonts = 611;         // BrtBeginFonts
inline constexpr std::uint16_t EndFonts = 612;           // BrtEndFonts
inline constexpr std::uint16_t BeginFills = 603;         // BrtBeginFills
inline constexpr std::uint16_t EndFills = 604;           // BrtEndFills
inline constexpr std::uint16_t BeginBorders = 613;       // BrtBeginBorders
inline constexpr std::uint16_t EndBorders = 614;         // BrtEndBorders
inline constexpr std::uint16_t BeginFmts = 615;          // BrtBeginFmts, MS-XLSB 2.4.87
inline constexpr std::uint16_t EndFmts = 616;            // BrtEndFmts
inline constexpr std::uint16_t BeginCellXfs = 617;       // BrtBeginCellXFs, MS-XLSB 2.4.22
inline constexpr std::uint16_t EndCellXfs = 618;         // BrtEndCellXFs

// Workbook part.
inline constexpr std::uint16_t BeginBook = 131;      // BrtBeginBook
inline constexpr std::uint16_t BeginBundleShs = 143; // BrtBeginBundleShs
inline constexpr std::uint16_t EndBundleShs = 144;   // BrtEndBundleShs
inline constexpr std::uint16_t WbProp = 153;         // BrtWbProp
inline constexpr std::uint16_t BundleSh = 156;       // BrtBundleSh, MS-XLSB 2.4.313
inline constexpr std::uint16_t Name = 39;            // BrtName
inline constexpr std::uint16_t CalcProp = 157;       // BrtCalcProp
inline constexpr std::uint16_t SupBookSrc = 355;     // BrtSupBookSrc
inline constexpr std::uint16_t SupSelf = 357;        // BrtSupSelf
inline constexpr std::uint16_t SupSame = 358;        // BrtSupSame
inline constexpr std::uint16_t ExternSheet = 362;    // BrtExternSheet
inline constexpr std::uint16_t SupAddin = 667;       // BrtSupAddin

// Worksheet part outside the sheet data.
inline constexpr std::uint16_t BeginSheet = 129;      // BrtBeginSheet
inline constexpr std::uint16_t BeginWsView = 137;     // BrtBeginWsView
inline constexpr std::uint16_t BeginSheetData = 145;  // BrtBeginSheetData
inline constexpr std::uint16_t EndSheetData = 146;    // BrtEndSheetData
inline constexpr std::uint16_t MergeCell = 176;       // BrtMergeCell, MS-XLSB 2.4.706
inline constexpr std::uint16_t BeginMergeCells = 177; // BrtBeginMergeCells, MS-XLSB 2.4.111
inline constexpr std::uint16_t ColInfo = 60;          // BrtColInfo, MS-XLSB 2.4.333
inline constexpr std::uint16_t WsFmtInfo = 485;       // BrtWsFmtInfo, MS-XLSB 2.4.859
inline constexpr std::uint16_t HLink = 494;           // BrtHLink
inline constexpr std::uint16_t Drawing = 550;         // BrtDrawing

// Table parts.
inline constexpr std::uint16_t BeginList = 343;    // BrtBeginList, MS-XLSB 2.4.100
inline constexpr std::uint16_t BeginListCol = 347; // BrtBeginListCol, MS-XLSB 2.4.101

// Comments part.
inline constexpr std::uint16_t CommentAuthor = 632; // BrtCommentAuthor, MS-XLSB 2.4.337
inline constexpr std::uint16_t BeginComment = 635;  // BrtBeginComment
inline constexpr std::uint16_t EndComment = 636;    // BrtEndComment
inline constexpr std::uint16_t CommentText = 637;   // BrtCommentText, MS-XLSB 2.4.338

// Metadata part (cell metadata; only what marks a dynamic array's anchor is read).
inline constexpr std::uint16_t Mdb = 51;                   // BrtMdb, MS-XLSB 2.4.703
inline constexpr std::uint16_t BeginFmd = 52;              // BrtBeginFmd
inline constexpr std::uint16_t Mdtinfo = 335;              // BrtMdtinfo, MS-XLSB 2.4.704
inline constexpr std::uint16_t BeginEsmdb = 337;           // BrtBeginEsmdb, MS-XLSB 2.4.74
inline constexpr std::uint16_t EndEsmdb = 338;             // BrtEndEsmdb
inline constexpr std::uint16_t BeginEsfmd = 339;           // BrtBeginEsfmd, MS-XLSB 2.4.72
inline constexpr std::uint16_t EndEsfmd = 340;             // BrtEndEsfmd
inline constexpr std::uint16_t BeginDynamicArrayPr = 4096; // BrtBeginDynamicArrayPr

// The name of a record type in error details ("BrtCellRk"), "record" for one not read here.
const char* name(std::uint16_t type);

} // namespace engine::xlsb::rec
