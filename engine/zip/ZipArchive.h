#pragma once
// A ZIP archive held in memory, read entry by entry with every size it claims checked.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;
struct zip_file;

namespace engine::zip {

// One entry of a ZipArchive inflated as its reader asks, with the checks of
// ZipArchive::stream(). It must not outlive its archive.
class EntryReader {
public:
    ~EntryReader();
    EntryReader(EntryReader&& other) noexcept;
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;
    EntryReader& operator=(EntryReader&&) = delete;

    // Inflates up to `capacity` more bytes into `buffer` and returns how many; 0 at the end.
    // Throws ReadError(Damaged) as ZipArchive::read() does.
    std::size_t read(char* buffer, std::size_t capacity);

private:
    friend class ZipArchive;
    EntryReader(::zip_file* file, std::string name, std::uint64_t limit, std::uint64_t declaredSize,
                std::uint64_t compressedSize, std::uint64_t& totalInflated);

    ::zip_file* file_;
    std::string name_;
    std::uint64_t limit_;
    std::uint64_t declaredSize_;   // UINT64_MAX when the archive does not say
    std::uint64_t compressedSize_; // at least 1
    std::uint64_t inflated_ = 0;
    std::uint64_t& totalInflated_;
};

class ZipArchive {
public:
    // Opens the archive in `bytes`, which must outlive this object. Throws ReadError(Damaged)
    // when the central directory cannot be read; an archive without entries opens fine.
    explicit ZipArchive(std::span<const std::uint8_t> bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Number of entries; 0 for an empty archive.
    std::size_t entryCount() const { return entryCount_; }

    // Whether an entry named `name` exists. Names are compared ignoring letter case and a
    // leading "/", with "\" read as "/" (package part names are case-insensitive).
    bool contains(std::string_view name) const;

    // The whole inflated entry. Throws ReadError(Damaged) when it is missing, broken or over
    // `maxBytes` or any other limit.
    std::string read(std::string_view name, std::uint64_t maxBytes) const;

    // The entry to be inflated piece by piece as the caller asks. Throws like read() when the
    // entry is missing, encrypted, or claims a size over the limits.
    EntryReader open(std::string_view name, std::uint64_t maxBytes) const;

    // Hands the inflated entry to `sink` in pieces, checking the limits as it goes. Throws
    // like read(); exceptions thrown by `sink` pass through.
    void stream(std::string_view name, std::uint64_t maxBytes,
                const std::function<void(const char* data, std::size_t size)>& sink) const;

private:
    static std::string key(std::string_view name);

    ::zip* archive_ = nullptr;
    std::size_t entryCount_ = 0;
    std::unordered_map<std::string, std::uint64_t> index_;
    mutable std::uint64_t totalInflated_ = 0;
};

} // namespace engine::zip
