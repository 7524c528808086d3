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

// Records an encrypted stream leaves plain, besides BOF and FILEPASS (MS-XLS 2.2.10).
inline constexpr std::uint16_t InterfaceHdr = 0x00E1; // InterfaceHdr, MS-XLS 2.4.146
inline constexpr std::uint16_t RrdHead = 0x0138;      // RRDHead, MS-XLS 2.4.226
inline constexpr std::uint16_t UsrExcl = 0x0194;      // UsrExcl, MS-XLS 2.4.339
inline constexpr std::uint16_t FileLock = 0x0195;     // FileLock, MS-XLS 2.4.116
inline constexpr std::uint16_t RrdInfo = 0x0196;      // RRDInfo, MS-XLS 2.4.227

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
inline constexpr std::uint16_t ShrFmla = 0x04BC;           // ShrFmla, MS-XLS 2.4.260
inline constexpr std::uint16_t ArrayFormula = 0x0221;      // Array, MS-XLS 2.4.4
inline constexpr std::uint16_t Uncalced = 0x005E;          // Uncalced, MS-XLS 2.4.331
inline constexpr std::uint16_t MergeCells = 0x00E5;        // MergeCells, MS-XLS 2.4.168
inline constexpr std::uint16_t HLink = 0x01B8;             // HLink, MS-XLS 2.4.140
inline constexpr std::uint16_t HLinkTooltip = 0x0800;      // HLinkTooltip, MS-XLS 2.4.141
inline constexpr std::uint16_t Window2 = 0x023E;           // Window2, MS-XLS 2.4.346
inline constexpr std::uint16_t Window2_2 = 0x003E;         // BIFF2 WINDOW2
inline constexpr std::uint16_t Pane = 0x0041;              // Pane, MS-XLS 2.4.189 (also BIFF2-5)
inline constexpr std::uint16_t WsBool = 0x0081;            // WsBool, MS-XLS 2.4.351
inline constexpr std::uint16_t MsoDrawingGroup = 0x00EB;   // MsoDrawingGroup, MS-XLS 2.4.171
inline constexpr std::uint16_t MsoDrawing = 0x00EC;        // MsoDrawing, MS-XLS 2.4.170
inline constexpr std::uint16_t Obj = 0x005D;               // Obj, MS-XLS 2.4.181
inline constexpr std::uint16_t Txo = 0x01B6;               // TxO, MS-XLS 2.4.329
inline constexpr std::uint16_t CondFmt = 0x01B0;           // CondFmt, MS-XLS 2.4.56
inline constexpr std::uint16_t Cf = 0x01B1;                // CF, MS-XLS 2.4.42
inline constexpr std::uint16_t Note = 0x001C;              // Note, MS-XLS 2.4.179 (also BIFF2-7)

// Chart substreams (MS-XLS 2.4, chart records) and the cell records cached inside them.
inline constexpr std::uint16_t ChartRecord = 0x1002;   // Chart, MS-XLS 2.4.44
inline constexpr std::uint16_t Series = 0x1003;        // Series, MS-XLS 2.4.252
inline constexpr std::uint16_t DataFormat = 0x1006;    // DataFormat, MS-XLS 2.4.74
inline constexpr std::uint16_t LineFormat = 0x1007;    // LineFormat, MS-XLS 2.4.156
inline constexpr std::uint16_t MarkerFormat = 0x1009;  // MarkerFormat, MS-XLS 2.4.160
inline constexpr std::uint16_t AreaFormat = 0x100A;    // AreaFormat, MS-XLS 2.4.3
inline constexpr std::uint16_t AttachedLabel = 0x100C; // AttachedLabel, MS-XLS 2.4.6
inline constexpr std::uint16_t SeriesText = 0x100D;    // SeriesText, MS-XLS 2.4.254
inline constexpr std::uint16_t ChartFormat = 0x1014;   // ChartFormat, MS-XLS 2.4.48
inline constexpr std::uint16_t Legend = 0x1015;        // Legend, MS-XLS 2.4.152
inline constexpr std::uint16_t Bar = 0x1017;           // Bar, MS-XLS 2.4.14
inline constexpr std::uint16_t Line = 0x1018;          // Line, MS-XLS 2.4.154
inline constexpr std::uint16_t Pie = 0x1019;           // Pie, MS-XLS 2.4.195
inline constexpr std::uint16_t Area = 0x101A;          // Area, MS-XLS 2.4.2
inline constexpr std::uint16_t Scatter = 0x101B;       // Scatter, MS-XLS 2.4.243
inline constexpr std::uint16_t TextRecord = 0x1025;    // Text, MS-XLS 2.4.324
inline constexpr std::uint16_t ObjectLink = 0x1027;    // ObjectLink, MS-XLS 2.4.182
inline constexpr std::uint16_t Begin = 0x1033;         // Begin, MS-XLS 2.4.17
inline constexpr std::uint16_t End = 0x1034;           // End, MS-XLS 2.4.100
inline constexpr std::uint16_t Radar = 0x103E;         // Radar, MS-XLS 2.4.213
inline constexpr std::uint16_t Surf = 0x103F;          // Surf, MS-XLS 2.4.311
inline constexpr std::uint16_t RadarArea = 0x1040;     // RadarArea, MS-XLS 2.4.214
inline constexpr std::uint16_t SerToCrt = 0x1045;      // SerToCrt, MS-XLS 2.4.256
inline constexpr std::uint16_t Brai = 0x1051;          // BRAI, MS-XLS 2.4.29
inline constexpr std::uint16_t BopPop = 0x1061;        // BopPop, MS-XLS 2.4.25
inline constexpr std::uint16_t SiIndex = 0x1065;       // SIIndex, MS-XLS 2.4.260
inline constexpr std::uint16_t ExternSheet = 0x0017;   // ExternSheet, MS-XLS 2.4.106
inline constexpr std::uint16_t SupBook = 0x01AE;       // SupBook, MS-XLS 2.4.271
inline constexpr std::uint16_t ExternName = 0x0023;    // ExternName, MS-XLS 2.4.105
inline constexpr std::uint16_t Name = 0x0018;          // Lbl, MS-XLS 2.4.150
inline constexpr std::uint16_t ImData = 0x007F;        // BIFF3-5 IMDATA: a picture's data
inline constexpr std::uint16_t Bitmap = 0x00E9;        // BkHim, MS-XLS 2.4.19 (background)

} // namespace engine::xls::rec
