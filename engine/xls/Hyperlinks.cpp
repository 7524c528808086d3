#include "engine/xls/Hyperlinks.h"

#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <cstring>

namespace engine::xls {
namespace {

// Moniker classes of MS-OSHARED 2.3.7: URL moniker and file moniker.
constexpr std::uint8_t urlMoniker[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                         0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr std::uint8_t fileMoniker[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Hyperlink object flags, MS-OSHARED 2.3.7.1.
constexpr std::uint32_t hasMoniker = 0x01;
constexpr std::uint32_t hasLocation = 0x08;
constexpr std::uint32_t hasDisplayName = 0x10;
constexpr std::uint32_t hasGuid = 0x20;
constexpr std::uint32_t hasCreationTime = 0x40;
constexpr std::uint32_t hasFrameName = 0x80;
constexpr std::uint32_t monikerSavedAsString = 0x100;

// A length-prefixed UTF-16 string of `units` code units with a terminating NUL among them.
std::string utf16(util::ByteCursor& in, std::uint64_t units) {
    if (units > in.remaining() / 2)
        in.fail(static_cast<std::size_t>(units * 2));
    auto bytes = in.bytes(static_cast<std::size_t>(units * 2));
    std::size_t length = 0;
    while (length < units && (bytes[2 * length] | bytes[2 * length + 1]) != 0)
        ++length;
    std::string out;
    util::appendUtf16le(out, bytes.first(length * 2));
    return out;
}

std::string hyperlinkString(util::ByteCursor& in) {
    return utf16(in, in.u32());
}

Range readRange(util::ByteCursor& in) {
    Range range;
    range.firstRow = in.u16();
    range.lastRow = in.u16();
    range.firstCol = in.u16();
    range.lastCol = in.u16();
    return range;
}

} // namespace

std::optional<Hyperlink> readHyperlink(const Record& record) {
    util::ByteCursor in(record.body, "HLINK record", record.offset + 4);
    Hyperlink link;
    link.range = readRange(in);
    if (link.range.lastRow < link.range.firstRow || link.range.lastCol < link.range.firstCol)
        return std::nullopt;
    in.skip(16); // the class id of the link object
    in.skip(4);  // stream version
    const std::uint32_t flags = in.u32();
    if (flags & hasDisplayName)
        hyperlinkString(in);
    if (flags & hasFrameName)
        hyperlinkString(in);
    if (flags & hasMoniker) {
        if (flags & monikerSavedAsString) {
            link.target = hyperlinkString(in);
        } else {
            const auto clsid = in.bytes(16);
            if (std::memcmp(clsid.data(), urlMoniker, 16) == 0) {
                const std::uint32_t length = in.u32();
                if (length > in.remaining())
                    in.fail(length);
                util::ByteCursor url(in.bytes(length), "HLINK URL", in.absolute() - length);
                link.target = utf16(url, length / 2);
            } else if (std::memcmp(clsid.data(), fileMoniker, 16) == 0) {
                const std::uint16_t upLevels = in.u16();
                const std::uint32_t ansiLength = in.u32();
                if (ansiLength > in.remaining())
                    in.fail(ansiLength);
                auto ansi = in.bytes(ansiLength);
                std::string path;
                for (std::uint16_t i = 0; i < upLevels && i < 256; ++i)
                    path += "..\\";
                std::size_t n = 0;
                while (n < ansi.size() && ansi[n] != 0)
                    ++n;
                std::string ansiPath;
                util::appendLatin1(ansiPath, ansi.first(n));
                in.skip(2 + 2 + 20);
                const std::uint32_t unicodeSize = in.u32();
                if (unicodeSize >= 6) {
                    const std::uint32_t pathBytes = in.u32();
                    in.skip(2);
                    ansiPath = utf16(in, pathBytes / 2);
                }
                link.target = path + ansiPath;
            } else {
                return std::nullopt; // a moniker we cannot describe: no link rather than a wrong
                                     // one
            }
        }
    }
    if (flags & hasLocation)
        link.location = hyperlinkString(in);
    if (flags & hasGuid)
        in.skip(16);
    if (flags & hasCreationTime)
        in.skip(8);
    if (link.target.empty() && link.location.empty())
        return std::nullopt;
    return link;
}

void readHyperlinkTooltip(const Record& record, std::vector<Hyperlink>& links) {
    util::ByteCursor in(record.body, "HLINKTOOLTIP record", record.offset + 4);
    in.skip(4); // the future-record header
    const Range range = readRange(in);
    const std::string tip = utf16(in, in.remaining() / 2);
    // The tooltip follows its link; looking only a few links back keeps a file of many
    // unmatched tooltips linear.
    constexpr std::ptrdiff_t lookBack = 8;
    for (auto it = links.rbegin(); it != links.rend() && it - links.rbegin() < lookBack; ++it)
        if (it->range == range) {
            it->tooltip = tip;
            return;
        }
}

} // namespace engine::xls
