#include "engine/util/CodePages.h"

#include "engine/util/CodePageTables.h"

#include <algorithm>

namespace engine::util {
namespace {

constexpr bool notAscii = false;

// Sorted by number. Where a code page has no exact converter here the nearest one stands in,
// said beside it.
constexpr CodePage codePages[] = {
    {37, "IBM037", nullptr, notAscii}, // EBCDIC
    {367, "ASCII", nullptr},           // US-ASCII as the BIFF formats number it
    {437, "IBM437", nullptr},
    {500, "IBM500", nullptr, notAscii},
    {708, "ASMO-708", nullptr},
    {720, nullptr, codePage720.data()},
    {737, "CP737", nullptr},
    {775, "CP775", nullptr},
    {850, "CP850", nullptr},
    {852, "CP852", nullptr},
    {855, "CP855", nullptr},
    {857, "CP857", nullptr},
    {858, "CP858", nullptr},
    {860, "CP860", nullptr},
    {861, "CP861", nullptr},
    {862, "CP862", nullptr},
    {863, "CP863", nullptr},
    {864, "CP864", nullptr},
    {865, "CP865", nullptr},
    {866, "CP866", nullptr},
    {869, "CP869", nullptr},
    {870, "IBM870", nullptr, notAscii},
    {874, "CP874", nullptr},
    {875, "CP875", nullptr, notAscii},
    {932, "CP932", nullptr},
    {936, "CP936", nullptr},
    {949, "CP949", nullptr},
    {950, "CP950", nullptr},
    {1026, "IBM1026", nullptr, notAscii},
    {1047, "IBM1047", nullptr, notAscii},
    {1140, "IBM1140", nullptr, notAscii},
    {1141, "IBM1141", nullptr, notAscii},
    {1142, "IBM1142", nullptr, notAscii},
    {1143, "IBM1143", nullptr, notAscii},
    {1144, "IBM1144", nullptr, notAscii},
    {1145, "IBM1145", nullptr, notAscii},
    {1146, "IBM1146", nullptr, notAscii},
    {1147, "IBM1147", nullptr, notAscii},
    {1148, "IBM1148", nullptr, notAscii},
    {1149, "IBM1149", nullptr, notAscii},
    // 1200 marks a BIFF8 workbook as Unicode; an older file that carries it still has 8-bit
    // strings, and they are read as windows-1252.
    {1200, "CP1252", nullptr},
    {1201, "UTF-16BE", nullptr, notAscii},
    {1250, "CP1250", nullptr},
    {1251, "CP1251", nullptr},
    {1252, "CP1252", nullptr},
    {1253, "CP1253", nullptr},
    {1254, "CP1254", nullptr},
    {1255, "CP1255", nullptr},
    {1256, "CP1256", nullptr},
    {1257, "CP1257", nullptr},
    {1258, "CP1258", nullptr},
    {1361, "JOHAB", nullptr},
    {10000, "MACINTOSH", nullptr},
    {10001, "SJIS", nullptr},   // Mac Japanese: Shift_JIS without Apple's additions
    {10002, "BIG5", nullptr},   // Mac traditional Chinese: Big5 without Apple's additions
    {10003, "EUC-KR", nullptr}, // Mac Korean: EUC-KR without Apple's additions
    {10004, nullptr, codePage10004.data()},
    {10006, nullptr, codePage10006.data()},
    {10007, "MACCYRILLIC", nullptr},
    {10008, "EUC-CN", nullptr}, // Mac simplified Chinese: GB 2312
    {10010, nullptr, codePage10010.data()},
    {10017, "MAC-UK", nullptr},
    {10029, "MAC-CENTRALEUROPE", nullptr},
    {10079, nullptr, codePage10079.data()}, // the system's MAC-IS lacks Ý, ý, Ð and ð
    {10081, nullptr, codePage10081.data()},
    {10082, nullptr, codePage10082.data()},
    {12000, "UTF-32LE", nullptr, notAscii},
    {12001, "UTF-32BE", nullptr, notAscii},
    {20106, "ISO646-DE", nullptr, notAscii},
    {20107, "ISO646-SE", nullptr, notAscii},
    {20108, "ISO646-NO", nullptr, notAscii},
    {20127, "ASCII", nullptr},
    {20261, "T.61-8BIT", nullptr, notAscii},
    {20269, "ISO6937", nullptr, notAscii},
    {20273, "IBM273", nullptr, notAscii},
    {20277, "IBM277", nullptr, notAscii},
    {20278, "IBM278", nullptr, notAscii},
    {20280, "IBM280", nullptr, notAscii},
    {20284, "IBM284", nullptr, notAscii},
    {20285, "IBM285", nullptr, notAscii},
    {20290, "IBM290", nullptr, notAscii},
    {20297, "IBM297", nullptr, notAscii},
    {20420, "IBM420", nullptr, notAscii},
    {20423, "IBM423", nullptr, notAscii},
    {20424, "IBM424", nullptr, notAscii},
    {20866, "KOI8-R", nullptr},
    {20871, "IBM871", nullptr, notAscii},
    {20880, "IBM880", nullptr, notAscii},
    {20905, "IBM905", nullptr, notAscii},
    {20932, "EUC-JP", nullptr},
    {20936, "EUC-CN", nullptr},
    {20949, "EUC-KR", nullptr},
    {21025, "IBM1025", nullptr, notAscii},
    {21866, "KOI8-U", nullptr},
    {28591, "ISO-8859-1", nullptr},
    {28592, "ISO-8859-2", nullptr},
    {28593, "ISO-8859-3", nullptr},
    {28594, "ISO-8859-4", nullptr},
    {28595, "ISO-8859-5", nullptr},
    {28596, "ISO-8859-6", nullptr},
    {28597, "ISO-8859-7", nullptr},
    {28598, "ISO-8859-8", nullptr},
    {28599, "ISO-8859-9", nullptr},
    {28603, "ISO-8859-13", nullptr},
    {28605, "ISO-8859-15", nullptr},
    {32768, "MACINTOSH", nullptr}, // Mac Roman as the BIFF formats number it
    {32769, "CP1252", nullptr},    // windows-1252 as BIFF2-3 number it
    {38598, "ISO-8859-8", nullptr},
    {50220, "ISO-2022-JP", nullptr, notAscii},
    {50221, "ISO-2022-JP", nullptr, notAscii},
    {50222, "ISO-2022-JP", nullptr, notAscii},
    {50225, "ISO-2022-KR", nullptr, notAscii},
    {50227, "ISO-2022-CN", nullptr, notAscii},
    {51932, "EUC-JP", nullptr},
    {51936, "EUC-CN", nullptr},
    {51949, "EUC-KR", nullptr},
    {54936, "GB18030", nullptr},
    {65000, "UTF-7", nullptr, notAscii},
    {65001, "UTF-8", nullptr},
};

} // namespace

const CodePage* findCodePage(std::uint16_t number) {
    const auto it =
        std::lower_bound(std::begin(codePages), std::end(codePages), number,
                         [](const CodePage& c, std::uint16_t n) { return c.number < n; });
    return it != std::end(codePages) && it->number == number ? &*it : nullptr;
}

std::span<const CodePage> knownCodePages() {
    return codePages;
}

} // namespace engine::util
