#pragma once
// Builds version 3 compound files in memory for tests and benchmarks: streams at the top level
// of the root storage, small ones in the mini stream, a DIFAT when the FAT needs one.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class CompoundFileBuilder {
public:
    void addStream(std::string name, std::vector<std::uint8_t> data) {
        streams_.emplace_back(std::move(name), std::move(data));
    }

    // Where things ended up, for tests that damage the file afterwards.
    struct Layout {
        std::uint32_t firstFatSector = 0;
        std::uint32_t directorySector = 0;
        std::vector<std::uint32_t> streamStart; // per stream: first sector (or mini sector)
    };

    std::vector<std::uint8_t> build(Layout* layout = nullptr) const {
        constexpr std::uint32_t sector = 512, mini = 64, cutoff = 4096;
        constexpr std::uint32_t end = 0xFFFFFFFE, freeSector = 0xFFFFFFFF;
        auto sectorsFor = [](std::size_t bytes, std::size_t unit) {
            return static_cast<std::uint32_t>((bytes + unit - 1) / unit);
        };
        // Mini stream contents.
        std::vector<std::uint8_t> miniStream;
        std::vector<std::uint32_t> miniStart(streams_.size(), end);
        std::vector<std::uint32_t> miniFat;
        for (std::size_t i = 0; i < streams_.size(); ++i) {
            const auto& data = streams_[i].second;
            if (data.size() >= cutoff || data.empty())
                continue;
            const std::uint32_t first = static_cast<std::uint32_t>(miniStream.size() / mini);
            const std::uint32_t count = sectorsFor(data.size(), mini);
            for (std::uint32_t k = 0; k < count; ++k)
                miniFat.push_back(k + 1 < count ? first + k + 1 : end);
            miniStart[i] = first;
            miniStream.insert(miniStream.end(), data.begin(), data.end());
            miniStream.resize(static_cast<std::size_t>(first + count) * mini, 0);
        }
        const std::uint32_t entries = static_cast<std::uint32_t>(streams_.size()) + 1;
        const std::uint32_t dirSectors = sectorsFor(entries * 128, sector);
        const std::uint32_t miniFatSectors = sectorsFor(miniFat.size() * 4, sector);
        const std::uint32_t miniStreamSectors = sectorsFor(miniStream.size(), sector);
        std::uint32_t dataSectors = 0;
        for (const auto& [name, data] : streams_)
            if (data.size() >= cutoff)
                dataSectors += sectorsFor(data.size(), sector);
        std::uint32_t fatSectors = 1, difatSectors = 0;
        for (;;) {
            const std::uint32_t total = difatSectors + fatSectors + dirSectors + miniFatSectors +
                                        miniStreamSectors + dataSectors;
            const std::uint32_t needFat = sectorsFor(total * 4ull, sector);
            const std::uint32_t needDifat =
                needFat > 109 ? sectorsFor((needFat - 109) * 4ull, 508) : 0;
            if (needFat == fatSectors && needDifat == difatSectors)
                break;
            fatSectors = needFat;
            difatSectors = needDifat;
        }
        const std::uint32_t total = difatSectors + fatSectors + dirSectors + miniFatSectors +
                                    miniStreamSectors + dataSectors;
        std::vector<std::uint32_t> fat(static_cast<std::size_t>(fatSectors) * 128, freeSector);
        std::uint32_t next = 0;
        auto chain = [&](std::uint32_t count, std::uint32_t mark) {
            const std::uint32_t first = next;
            for (std::uint32_t k = 0; k < count; ++k)
                fat[first + k] = mark != 0 ? mark : (k + 1 < count ? first + k + 1 : end);
            next += count;
            return count ? first : end;
        };
        const std::uint32_t firstDifat = chain(difatSectors, 0xFFFFFFFC);
        const std::uint32_t firstFat = chain(fatSectors, 0xFFFFFFFD);
        const std::uint32_t firstDir = chain(dirSectors, 0);
        const std::uint32_t firstMiniFat = chain(miniFatSectors, 0);
        const std::uint32_t firstMiniStream = chain(miniStreamSectors, 0);
        std::vector<std::uint32_t> start(streams_.size(), end);
        for (std::size_t i = 0; i < streams_.size(); ++i) {
            const auto& data = streams_[i].second;
            start[i] =
                data.size() >= cutoff ? chain(sectorsFor(data.size(), sector), 0) : miniStart[i];
        }

        std::vector<std::uint8_t> out(static_cast<std::size_t>(total + 1) * sector, 0);
        auto put16 = [&](std::size_t at, std::uint16_t v) {
            out[at] = static_cast<std::uint8_t>(v);
            out[at + 1] = static_cast<std::uint8_t>(v >> 8);
        };
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int k = 0; k < 4; ++k)
                out[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
        };
        auto at = [](std::uint32_t s) { return static_cast<std::size_t>(s + 1) * sector; };
        const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        std::copy(magic, magic + 8, out.begin());
        put16(0x18, 0x3E);
        put16(0x1A, 3);
        put16(0x1C, 0xFFFE);
        put16(0x1E, 9);
        put16(0x20, 6);
        put32(0x2C, fatSectors);
        put32(0x30, firstDir);
        put32(0x38, cutoff);
        put32(0x3C, miniFatSectors ? firstMiniFat : end);
        put32(0x40, miniFatSectors);
        put32(0x44, difatSectors ? firstDifat : end);
        put32(0x48, difatSectors);
        for (std::uint32_t k = 0; k < 109; ++k)
            put32(0x4C + 4 * k, k < fatSectors ? firstFat + k : freeSector);
        for (std::uint32_t d = 0; d < difatSectors; ++d) {
            for (std::uint32_t k = 0; k < 127; ++k) {
                const std::uint32_t index = 109 + d * 127 + k;
                put32(at(firstDifat + d) + 4 * k,
                      index < fatSectors ? firstFat + index : freeSector);
            }
            put32(at(firstDifat + d) + 508, d + 1 < difatSectors ? firstDifat + d + 1 : end);
        }
        for (std::size_t k = 0; k < fat.size(); ++k)
            put32(at(firstFat) + 4 * k, fat[k]); // FAT sectors are consecutive
        auto entry = [&](std::uint32_t index, const std::string& name, std::uint8_t type,
                         std::uint32_t first, std::uint32_t size, std::uint32_t child,
                         std::uint32_t right) {
            const std::size_t base = at(firstDir) + index * 128;
            for (std::size_t k = 0; k < name.size() && k < 31; ++k)
                put16(base + 2 * k, static_cast<std::uint8_t>(name[k]));
            put16(base + 0x40,
                  static_cast<std::uint16_t>((std::min<std::size_t>(name.size(), 31) + 1) * 2));
            out[base + 0x42] = type;
            out[base + 0x43] = 1;
            put32(base + 0x44, freeSector);
            put32(base + 0x48, right);
            put32(base + 0x4C, child);
            put32(base + 0x74, first);
            put32(base + 0x78, size);
        };
        // The children hang off each other's right links: a degenerate but valid tree.
        entry(0, "Root Entry", 5, miniStreamSectors ? firstMiniStream : end,
              static_cast<std::uint32_t>(miniStream.size()), streams_.empty() ? freeSector : 1,
              freeSector);
        for (std::size_t i = 0; i < streams_.size(); ++i)
            entry(static_cast<std::uint32_t>(i + 1), streams_[i].first, 2, start[i],
                  static_cast<std::uint32_t>(streams_[i].second.size()), freeSector,
                  i + 1 < streams_.size() ? static_cast<std::uint32_t>(i + 2) : freeSector);
        for (std::size_t k = 0; k < miniFat.size(); ++k)
            put32(at(firstMiniFat) + 4 * k, miniFat[k]);
        for (std::size_t k = miniFat.size(); k < miniFatSectors * 128ull; ++k)
            put32(at(firstMiniFat) + 4 * k, freeSector);
        std::copy(miniStream.begin(), miniStream.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(at(firstMiniStream)));
        for (std::size_t i = 0; i < streams_.size(); ++i) {
            const auto& data = streams_[i].second;
            if (data.size() >= cutoff)
                std::copy(data.begin(), data.end(),
                          out.begin() + static_cast<std::ptrdiff_t>(at(start[i])));
        }
        if (layout) {
            layout->firstFatSector = firstFat;
            layout->directorySector = firstDir;
            layout->streamStart = start;
        }
        return out;
    }

    // Sets FAT entry `index` of a file built with a single run of FAT sectors.
    static void setFat(std::vector<std::uint8_t>& file, const Layout& layout, std::uint32_t index,
                       std::uint32_t value) {
        const std::size_t at =
            static_cast<std::size_t>(layout.firstFatSector + 1) * 512 + 4 * index;
        for (int k = 0; k < 4; ++k)
            file[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }

private:
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> streams_;
};

} // namespace testing_support
