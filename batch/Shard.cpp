#include "batch/Shard.h"

#include "batch/WholeNumber.h"

#include <cstdint>

namespace batch {

bool ParseShard(std::string_view text, int& index, int& count) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos || text.find('/', slash + 1) != std::string_view::npos)
        return false;
    const std::optional<int> k = ToInt(Trimmed(text.substr(0, slash)));
    const std::optional<int> n = ToInt(Trimmed(text.substr(slash + 1)));
    if (!k || !n || *n < 1 || *n > MaxShards || *k < 1 || *k > *n)
        return false;
    index = *k;
    count = *n;
    return true;
}

int ShardOf(std::string_view relativePath, int count) {
    // FNV-1a over the bytes: fixed by its definition, unlike std::hash or qHash, whose values may
    // change with the library or be seeded per process.
    std::uint64_t key = 0xcbf29ce484222325ULL;
    for (const char byte : relativePath) {
        key ^= static_cast<unsigned char>(byte);
        key *= 0x100000001b3ULL;
    }
    // Paths that differ in their last byte differ little after FNV; a finishing mix (MurmurHash3's)
    // spreads that over every bit before the parts are drawn from it.
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    key ^= key >> 33;
    // Jump consistent hashing (Lamping and Veach): spreads the keys evenly over the parts, and a
    // change of the part count moves as few of them as any scheme can.
    std::int64_t bucket = -1;
    std::int64_t next = 0;
    while (next < count) {
        bucket = next;
        key = key * 2862933555777941757ULL + 1;
        next = static_cast<std::int64_t>(
            static_cast<double>(bucket + 1) *
            (static_cast<double>(1LL << 31) / static_cast<double>((key >> 33) + 1)));
    }
    return static_cast<int>(bucket) + 1;
}

} // namespace batch
