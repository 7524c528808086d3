#pragma once
// The compound file container (versions 3 and 4): the streams at the top level of its root
// storage, read through the FAT or the mini FAT. Every chain is checked for cycles, cross-links
// and sectors outside the file, and no size is trusted before it is checked against the file.
// A last sector the file ends inside reads as if padded with zeros.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine::cfb {

struct Entry {
    std::string name;        // UTF-8
    bool isStream = false;   // false for a storage
    std::uint32_t start = 0; // first sector
    std::uint64_t size = 0;  // bytes
};

class CompoundFile {
public:
    // Parses the header, the FAT, the mini FAT and the directory of `bytes`, which must outlive
    // the object. Throws ReadError(Damaged) for any inconsistency, NotWorkbook when the bytes do
    // not start with the compound file signature.
    explicit CompoundFile(std::span<const std::uint8_t> bytes);

    // The children of the root storage in directory order; empty when it has none.
    const std::vector<Entry>& entries() const { return entries_; }

    // The top-level stream named `name`, letter case ignored (ASCII); null when there is none.
    const Entry* findStream(std::string_view name) const;

    // The whole content of `entry`, a stream. Throws ReadError(Damaged) for a broken chain.
    std::vector<std::uint8_t> read(const Entry& entry) const;

private:
    std::vector<std::uint32_t> chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                     std::uint64_t sectorsNeeded, const char* what,
                                     bool userStream = false) const;
    std::span<const std::uint8_t> sector(std::uint32_t index, const char* what) const;
    // Appends the first `want` bytes of sector `index`, zeros for any the file lacks.
    void appendSector(std::vector<std::uint8_t>& out, std::uint32_t index, std::size_t want,
                      const char* what) const;
    // The file's size with its last sector made whole.
    std::uint64_t paddedSize() const {
        return (static_cast<std::uint64_t>(sectorCount_) + 1) * sectorSize_;
    }
    void readFat(std::uint32_t fatSectors, std::uint32_t firstDifat, std::uint32_t difatSectors);
    void markStructural(const std::vector<std::uint32_t>& sectors, const char* what);
    std::vector<std::uint8_t> readChain(const std::vector<std::uint32_t>& table,
                                        std::uint32_t start, std::uint64_t size, bool mini,
                                        const char* what, bool userStream) const;

    std::span<const std::uint8_t> bytes_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t sectorCount_ = 0; // sectors present in the file after the header
    std::vector<bool> structural_;  // sectors of the FAT, DIFAT, directory and mini FAT
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint8_t> miniStream_;
    std::vector<Entry> entries_;
};

} // namespace engine::cfb
