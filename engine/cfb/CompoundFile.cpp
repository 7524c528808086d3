#include "engine/cfb/CompoundFile.h"

#include "engine/base/ReadError.h"
#include "engine/util/AsciiCase.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <algorithm>
#include <cstring>

namespace engine::cfb {
namespace {

// Special sector numbers of the FAT (MS-CFB 2.1).
constexpr std::uint32_t maxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t endOfChain = 0xFFFFFFFE;
constexpr std::uint32_t freeSector = 0xFFFFFFFF;
constexpr std::uint32_t noStream = 0xFFFFFFFF;

constexpr std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t headerSize = 512;
constexpr std::size_t directoryEntrySize = 128;
constexpr std::size_t headerDifatEntries = 109;

// Directory entry types (MS-CFB 2.6.1).
constexpr std::uint8_t typeStorage = 1;
constexpr std::uint8_t typeStream = 2;
constexpr std::uint8_t typeRoot = 5;

[[noreturn]] void damaged(const std::string& detail) {
    throw ReadError(ReadError::Kind::Damaged, "compound file " + detail);
}

std::string sectorText(std::uint32_t sector) {
    return util::hexOffset(sector);
}

} // namespace

CompoundFile::CompoundFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0)
        throw ReadError(ReadError::Kind::NotWorkbook, "no compound file signature");
    if (bytes.size() < headerSize)
        damaged("header: expected 512 bytes, found " + std::to_string(bytes.size()));
    util::ByteCursor header(bytes.first(headerSize), "compound file header");
    header.seek(0x1A);
    const std::uint16_t majorVersion = header.u16();
    const std::uint16_t byteOrder = header.u16();
    const std::uint16_t sectorShift = header.u16();
    const std::uint16_t miniSectorShift = header.u16();
    if (byteOrder != 0xFFFE)
        damaged("header at offset 0x1c: expected byte order 0xfffe, found " +
                util::hexOffset(byteOrder));
    // Writers are not always consistent between the version and the sector size; the sector
    // shift alone decides the layout.
    if (sectorShift != 9 && sectorShift != 12)
        damaged("header at offset 0x1e: expected sector shift 9 or 12, found " +
                std::to_string(sectorShift) + " (version " + std::to_string(majorVersion) + ")");
    if (miniSectorShift != 6)
        damaged("header at offset 0x20: expected mini sector shift 6, found " +
                std::to_string(miniSectorShift));
    sectorSize_ = 1u << sectorShift;
    miniSectorSize_ = 1u << miniSectorShift;
    header.seek(0x2C);
    const std::uint32_t fatSectors = header.u32();
    const std::uint32_t firstDirectory = header.u32();
    header.skip(4);
    miniCutoff_ = header.u32();
    const std::uint32_t firstMiniFat = header.u32();
    header.skip(4); // the mini FAT's sector count: its chain is authoritative
    const std::uint32_t firstDifat = header.u32();
    const std::uint32_t difatSectors = header.u32();
    if (miniCutoff_ != 4096)
        damaged("header at offset 0x38: expected mini stream cutoff 4096, found " +
                std::to_string(miniCutoff_));

    if (bytes.size() <= sectorSize_)
        damaged("has no sectors after its header");
    sectorCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        (bytes.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_, maxRegularSector));
    structural_.assign(sectorCount_, false);

    readFat(fatSectors, firstDifat, difatSectors);

    // The directory has no size of its own in version 3: its chain decides.
    const std::vector<std::uint32_t> directorySectors = chain(fat_, firstDirectory, 0, "directory");
    markStructural(directorySectors, "directory");
    std::vector<std::uint8_t> directory;
    directory.reserve(directorySectors.size() * sectorSize_);
    for (const std::uint32_t s : directorySectors)
        appendSector(directory, s, sectorSize_, "directory");
    const std::size_t entryCount = directory.size() / directoryEntrySize;
    if (entryCount == 0)
        damaged("directory is empty");

    struct Raw {
        Entry entry;
        std::uint8_t type = 0;
        std::uint32_t left = noStream, right = noStream, child = noStream;
    };
    std::vector<Raw> raw(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        util::ByteCursor e(std::span<const std::uint8_t>(directory).subspan(i * directoryEntrySize,
                                                                            directoryEntrySize),
                           "directory entry");
        const auto nameBytes = e.bytes(64);
        const std::uint16_t nameLength = e.u16();
        Raw& r = raw[i];
        r.type = e.u8();
        e.skip(1);
        r.left = e.u32();
        r.right = e.u32();
        r.child = e.u32();
        e.seek(0x74);
        r.entry.start = e.u32();
        r.entry.size = e.u64();
        if (sectorShift == 9)
            r.entry.size &= 0xFFFFFFFFu; // version 3 files may leave garbage in the high half
        const std::size_t units = std::min<std::size_t>(nameLength / 2, 32);
        std::size_t length = 0;
        while (length < units && (nameBytes[2 * length] | nameBytes[2 * length + 1]) != 0)
            ++length;
        util::appendUtf16le(r.entry.name, nameBytes.first(length * 2));
        r.entry.isStream = r.type == typeStream;
    }
    if (raw[0].type != typeRoot)
        damaged("directory entry 0: expected the root storage (type 5), found type " +
                std::to_string(raw[0].type));

    const Entry& root = raw[0].entry;
    if (root.size > 0) {
        if (root.size > paddedSize())
            damaged("mini stream: size " + std::to_string(root.size) + " exceeds the file size " +
                    std::to_string(bytes.size()));
        miniStream_ = readChain(fat_, root.start, root.size, false, "mini stream", true);
        // The whole chain, not just the part the size needs, so that a stream whose sectors
        // the mini stream's chain runs into is caught as cross-linked.
        markStructural(chain(fat_, root.start, 0, "mini stream"), "mini stream");
        const std::vector<std::uint32_t> miniFatChain = chain(fat_, firstMiniFat, 0, "mini FAT");
        markStructural(miniFatChain, "mini FAT");
        miniFat_.reserve(miniFatChain.size() * sectorSize_ / 4);
        const std::size_t miniSectors = miniStream_.size() / miniSectorSize_ + 1;
        for (const std::uint32_t s : miniFatChain) {
            const auto data = sector(s, "mini FAT");
            for (std::size_t off = 0; off + 4 <= data.size() && miniFat_.size() < miniSectors;
                 off += 4)
                miniFat_.push_back(util::loadU32(data.data() + off));
        }
    }

    // The root's children form a tree through left, right and child links; walk it once with
    // a seen set so that a looping tree cannot hang us.
    std::vector<bool> seen(entryCount, false);
    std::vector<std::uint32_t> pending{raw[0].child};
    while (!pending.empty()) {
        const std::uint32_t index = pending.back();
        pending.pop_back();
        if (index == noStream)
            continue;
        if (index >= entryCount)
            damaged("directory: entry link " + std::to_string(index) + " is out of range (" +
                    std::to_string(entryCount) + " entries)");
        if (seen[index])
            damaged("directory: entry " + std::to_string(index) + " is linked twice");
        seen[index] = true;
        const Raw& r = raw[index];
        if (r.type == typeStream || r.type == typeStorage)
            entries_.push_back(r.entry);
        pending.push_back(r.right);
        pending.push_back(r.left);
    }
}

void CompoundFile::markStructural(const std::vector<std::uint32_t>& sectors, const char* what) {
    for (const std::uint32_t s : sectors) {
        if (structural_[s])
            damaged(std::string(what) + ": sector " + sectorText(s) +
                    " is also used by another structure of the container");
        structural_[s] = true;
    }
}

void CompoundFile::readFat(std::uint32_t fatSectors, std::uint32_t firstDifat,
                           std::uint32_t difatSectors) {
    if (fatSectors == 0 || fatSectors > sectorCount_)
        damaged("header at offset 0x2c: " + std::to_string(fatSectors) +
                " FAT sectors claimed, the file has " + std::to_string(sectorCount_));
    std::vector<std::uint32_t> fatIds;
    fatIds.reserve(fatSectors);
    for (std::size_t i = 0; i < headerDifatEntries && fatIds.size() < fatSectors; ++i) {
        const std::uint32_t id = util::loadU32(bytes_.data() + 0x4C + 4 * i);
        if (id == freeSector)
            break;
        fatIds.push_back(id);
    }
    std::uint32_t next = firstDifat;
    std::uint32_t difatRead = 0;
    const std::size_t perSector = sectorSize_ / 4 - 1;
    while (fatIds.size() < fatSectors && next != endOfChain && next != freeSector) {
        if (next >= sectorCount_)
            damaged("DIFAT: sector " + sectorText(next) + " is beyond the end of the file");
        if (++difatRead > difatSectors && difatRead > sectorCount_)
            damaged("DIFAT: chain longer than the file");
        markStructural({next}, "DIFAT");
        std::vector<std::uint8_t> data;
        appendSector(data, next, sectorSize_, "DIFAT");
        for (std::size_t i = 0; i < perSector && fatIds.size() < fatSectors; ++i) {
            const std::uint32_t id = util::loadU32(data.data() + 4 * i);
            if (id == freeSector)
                continue;
            fatIds.push_back(id);
        }
        next = util::loadU32(data.data() + 4 * perSector);
    }
    fat_.reserve(fatIds.size() * (sectorSize_ / 4));
    for (const std::uint32_t id : fatIds) {
        if (id >= sectorCount_)
            damaged("FAT: sector " + sectorText(id) + " is beyond the end of the file (" +
                    std::to_string(sectorCount_) + " sectors)");
        markStructural({id}, "FAT");
        const auto data = sector(id, "FAT");
        // Entries past the last sector of the file can never be followed: keep the table no
        // larger than the file, whatever the header claims.
        for (std::size_t off = 0; off + 4 <= data.size() && fat_.size() < sectorCount_; off += 4)
            fat_.push_back(util::loadU32(data.data() + off));
    }
}

std::span<const std::uint8_t> CompoundFile::sector(std::uint32_t index, const char* what) const {
    if (index >= sectorCount_)
        damaged(std::string(what) + ": sector " + sectorText(index) +
                " is beyond the end of the file (" + std::to_string(sectorCount_) + " sectors)");
    const std::uint64_t offset = (static_cast<std::uint64_t>(index) + 1) * sectorSize_;
    const std::uint64_t end = std::min<std::uint64_t>(offset + sectorSize_, bytes_.size());
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(end - offset));
}

void CompoundFile::appendSector(std::vector<std::uint8_t>& out, std::uint32_t index,
                                std::size_t want, const char* what) const {
    // Some writers end the file a few bytes short of its last sector; what is missing reads
    // as zeros, as other readers take it.
    const auto data = sector(index, what);
    const std::size_t present = std::min(want, data.size());
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(present));
    out.resize(out.size() + (want - present), 0);
}

std::vector<std::uint32_t> CompoundFile::chain(const std::vector<std::uint32_t>& table,
                                               std::uint32_t start, std::uint64_t sectorsNeeded,
                                               const char* what, bool userStream) const {
    // With sectorsNeeded 0 the chain runs to its end; otherwise it must hold that many sectors.
    std::vector<std::uint32_t> sectors;
    std::vector<bool> seen(table.size(), false);
    std::uint32_t current = start;
    while (sectorsNeeded == 0 || sectors.size() < sectorsNeeded) {
        if (current == endOfChain) {
            if (sectorsNeeded != 0)
                damaged(std::string(what) + ": sector chain ends after " +
                        std::to_string(sectors.size()) + " sectors, expected " +
                        std::to_string(sectorsNeeded));
            break;
        }
        if (current >= table.size())
            damaged(std::string(what) + ": sector " + sectorText(current) + " is out of range (" +
                    std::to_string(table.size()) + " entries)");
        if (seen[current])
            damaged(std::string(what) + ": sector chain loops at sector " + sectorText(current));
        if (userStream && structural_[current])
            damaged(std::string(what) + ": sector " + sectorText(current) +
                    " is cross-linked with the container's own tables or mini stream");
        seen[current] = true;
        sectors.push_back(current);
        current = table[current];
    }
    return sectors;
}

std::vector<std::uint8_t> CompoundFile::readChain(const std::vector<std::uint32_t>& table,
                                                  std::uint32_t start, std::uint64_t size,
                                                  bool mini, const char* what,
                                                  bool userStream) const {
    const std::uint64_t unit = mini ? miniSectorSize_ : sectorSize_;
    const std::uint64_t limit = mini ? (miniStream_.size() + unit - 1) / unit * unit : paddedSize();
    if (size > limit)
        damaged(std::string(what) + ": size " + std::to_string(size) + " exceeds the " +
                (mini ? "mini stream size " : "file size ") + std::to_string(limit));
    std::vector<std::uint8_t> out;
    if (size == 0)
        return out;
    const std::vector<std::uint32_t> sectors =
        chain(table, start, (size + unit - 1) / unit, what, !mini && userStream);
    out.reserve(static_cast<std::size_t>(size));
    for (const std::uint32_t s : sectors) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(unit, size - out.size()));
        if (mini) {
            const std::uint64_t offset = static_cast<std::uint64_t>(s) * unit;
            if (offset >= miniStream_.size())
                damaged(std::string(what) + ": mini sector " + sectorText(s) +
                        " is beyond the end of the mini stream");
            // A mini stream whose size stops inside its last mini sector: the rest is zeros.
            const std::size_t present = static_cast<std::size_t>(
                std::min<std::uint64_t>(want, miniStream_.size() - offset));
            out.insert(out.end(), miniStream_.begin() + static_cast<std::ptrdiff_t>(offset),
                       miniStream_.begin() + static_cast<std::ptrdiff_t>(offset + present));
            out.resize(out.size() + (want - present), 0);
        } else {
            appendSector(out, s, want, what);
        }
    }
    return out;
}

const Entry* CompoundFile::findStream(std::string_view name) const {
    for (const Entry& entry : entries_)
        if (entry.isStream && util::asciiEqualIgnoringCase(entry.name, name))
            return &entry;
    return nullptr;
}

std::vector<std::uint8_t> CompoundFile::read(const Entry& entry) const {
    if (entry.size < miniCutoff_)
        return readChain(miniFat_, entry.start, entry.size, true, entry.name.c_str(), true);
    return readChain(fat_, entry.start, entry.size, false, entry.name.c_str(), true);
}

} // namespace engine::cfb
