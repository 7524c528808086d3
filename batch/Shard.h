#pragma once
// Splitting one list of workbooks between machines: every workbook falls in exactly one of N
// parts, decided by its path alone, so that every machine given the same list agrees.

#include <string_view>

namespace batch {

// More parts than this is a typing mistake, not a cluster.
inline constexpr int MaxShards = 1'000'000;

// Reads "K/N" (1 <= K <= N <= MaxShards) into `index` and `count`; false, leaving them as they
// were, for anything else.
bool ParseShard(std::string_view text, int& index, int& count);

// The part (1..count) the workbook at `relativePath` (its bytes below its root) belongs to.
// Stable across runs, machines and builds: adding workbooks to a list moves none of the others,
// and going from N to N + 1 parts moves only about 1 / (N + 1) of them.
int ShardOf(std::string_view relativePath, int count);

} // namespace batch
