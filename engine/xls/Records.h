#pragma once
// Record numbers of the binary workbook formats, with the section of the published format
// reference (MS-XLS, and the BIFF2-4 chapters of the older format documentation) each comes from.

#include <cstdint>

namespace engine::xls::rec {

// Workbook globals and substream framing.
inline constexpr std::uint16_t BOF = 0x0809;        // BOF, MS-XLS 2.4.21 (BIFF5-8)
inline constexpr std::uint16_t BOF2 = 0x0009;       // BIFF2 BOF
inline constexpr std::uint16_t BOF3 = 0x0209;       // BIFF3 BOF
inline constexpr std::uint16_t BOF4 = 0x0409;       // BIFF4 BOF
inline constexpr std::uint16_t EOF_ = 0x000A;       // EOF, MS-XLS 2.4.103
inline constexpr std::uint16_t BoundSheet = 0x0085; // BoundSheet8, MS-XLS 2.4.28
inline constexpr std::uint16_t CodePage = 0x0042;   // CodePage, MS-XLS 2.4.52
inline constexpr std::uint16_t DateMode = 0x0022;   // Date1904, MS-XLS 2.4.77
inline constexpr std::uint16_t FilePass = 0x002F;   // FilePass, MS-XLS 2.4.117
inline constexpr std::uint16_t Sst = 0x00FC;        // SST, MS-XLS 2.4.265
inline constexpr std::uint16_t Continue = 0x003C;   // Continue, MS-XLS 2.4.58
inline constexpr std::uint16_t Font = 0x0031;       // Font, MS-XLS 2.4.122 (also BIFF2)
inline constexpr std::uint16_t Font34 = 0x0231;     // BIFF3-4 FONT
inline constexpr std::uint16_t FontColor2 = 0x0045; // BIFF2 FONTCOLOR
inline constexpr std::uint16_t Format = 0x041E;     // Format, MS-XLS 2.4.126 (also BIFF4)
inline constexpr std::uint16_t Format23 = 0x001E;   // BIFF2-3 FORMAT
inline constexpr std::uint16_t Xf = 0x00E0;         // XF, MS-XLS 2.4.353 (BIFF5-8)
inline constexpr std::uint16_t Xf2 = 0x0043;        // BIFF2 XF
inline constexpr std::uint16_t Xf3 = 0x0243;        // BIFF3 XF
inline constexpr std::uint16_t Xf4 = 0x0443;        // BIFF4 XF
inline constexpr std::uint16_t Ixfe2 = 0x0044;      // BIFF2 IXFE: XF index above 62
inline constexpr std::uint16_t Palette = 0x0092;    // Palette, MS-XLS 2.4.188

// Worksheet substreams.
inline constexpr std::uint16_t Dimensions = 0x0200;        // Dimensions, MS-XLS 2.4.90
inline constexpr std::uint16_t Row = 0x0208;               // Row, MS-XLS 2.4.221
inline constexpr std::uint16_t Row2 = 0x0008;              // BIFF2 ROW
inline constexpr std::uint16_t ColInfo = 0x007D;           // ColInfo, MS-XLS 2.4.53
inline constexpr std::uint16_t ColWidth2 = 0x0024;         // BIFF2 COLWIDTH
inline constexpr std::uint16_t DefColWidth = 0x0055;       // DefColWidth, MS-XLS 2.4.89
inline constexpr std::uint16_t StandardWidth = 0x0099;     // StandardWidth, MS-XLS 2.4.276
inline constexpr std::uint16_t DefaultRowHeight = 0x0225;  // DefaultRowHeight, MS-XLS 2.4.87
inline constexpr std::uint16_t DefaultRowHeight2 = 0x0025; // BIFF2 DEFAULTROWHEIGHT
inline constexpr std::uint16_t Number = 0x0203;            // Number, MS-XLS 2.4.180
inline constexpr std::uint16_t Number2 = 0x0003;           // BIFF2 NUMBER
inline constexpr std::uint16_t Integer2 = 0x0002;          // BIFF2 INTEGER
inline constexpr std::uint16_t Rk = 0x027E;                // RK, MS-XLS 2.4.220
inline constexpr std::uint16_t MulRk = 0x00BD;             // MulRk, MS-XLS 2.4.175
inline constexpr std::uint16_t Label = 0x0204;             // Label, MS-XLS 2.4.148
inline constexpr std::uint16_t Label2 = 0x0004;            // BIFF2 LABEL
inline constexpr std::uint16_t LabelSst = 0x00FD;          // LabelSst, MS-XLS 2.4.149
inline constexpr std::uint16_t RString = 0x00D6;           // RSTRING (BIFF5-7; also met in BIFF8
                                                           // files written by ABBYY FineReader)
inline constexpr std::uint16_t Blank = 0x0201;             // Blank, MS-XLS 2.4.20
inline constexpr std::uint16_t Blank2 = 0x0001;            // BIFF2 BLANK
inline constexpr std::uint16_t MulBlank = 0x00BE;          // MulBlank, MS-XLS 2.4.174
inline constexpr std::uint16_t BoolErr = 0x0205;           // BoolErr, MS-XLS 2.4.24
inline constexpr std::uint16_t BoolErr2 = 0x0005;          // BIFF2 BOOLERR
inline constexpr std::uint16_t Formula = 0x0006;           // Formula, MS-XLS 2.4.127 (also BIFF2)
inline constexpr std::uint16_t Formula3 = 0x0206;          // BIFF3 FORMULA
inline constexpr std::uint16_t Formula4 = 0x0406;          // BIFF4 FORMULA
inline constexpr std::uint16_t String = 0x0207;            // String, MS-XLS 2.4.268
inline constexpr std::uint16_t String2 = 0x0007;           // BIFF2 STRING
inline constexpr std::uint16_t MergeCells = 0x00E5;        // MergeCells, MS-XLS 2.4.168
inline constexpr std::uint16_t HLink = 0x01B8;             // HLink, MS-XLS 2.4.140
inline constexpr std::uint16_t HLinkTooltip = 0x0800;      // HLinkTooltip, MS-XLS 2.4.141
inline constexpr std::uint16_t Window2 = 0x023E;           // Window2, MS-XLS 2.4.346
inline constexpr std::uint16_t Window2_2 = 0x003E;         // BIFF2 WINDOW2
inline constexpr std::uint16_t WsBool = 0x0081;            // WsBool, MS-XLS 2.4.351
inline constexpr std::uint16_t MsoDrawingGroup = 0x00EB;   // MsoDrawingGroup, MS-XLS 2.4.171
inline constexpr std::uint16_t MsoDrawing = 0x00EC;        // MsoDrawing, MS-XLS 2.4.170
inline constexpr std::uint16_t Obj = 0x005D;               // Obj, MS-XLS 2.4.181
inline constexpr std::uint16_t ImData = 0x007F;            // BIFF3-5 IMDATA: a picture's data
inline constexpr std::uint16_t Bitmap = 0x00E9;            // BkHim, MS-XLS 2.4.19 (background)

} // namespace engine::xls::rec
