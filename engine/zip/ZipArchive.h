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

namespace engine::zip {

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
