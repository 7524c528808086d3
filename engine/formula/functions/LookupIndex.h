#pragma once
// Where each value first and last stands in a row or column of a lookup table, kept for one
// evaluation so that thousands of exact VLOOKUPs into one table cost one scan of it. Only
// blocks with an identity are indexed, and the cells they show must not change while the
// evaluation keeps the index (cells are computed before the formulas that read them).

#include "engine/formula/Function.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

namespace engine::formula {

class LookupIndexes {
public:
    struct Positions {
        std::uint32_t first, last;
    };
    struct Index {
        std::unordered_map<double, Positions> numbers;    // keys taken to 15 digits
        std::unordered_map<std::string, Positions> texts; // keys in lower case
        std::unordered_map<bool, Positions> booleans;
        std::unordered_map<int, Positions> errors;
        // Where the positions it answers for found a match; nullopt for none.
        const Positions* find(const Value& v) const;
    };

    // The index of line `fixed` (a column when `vertical`) of `area`, built on first use by
    // visiting the cells it holds; null when `area` has no identity, the budget ran out or the
    // indexes hold too many entries already.
    const Index* lineIndex(const Area& area, bool vertical, std::uint32_t fixed,
                           CallContext& context);

private:
    using Key = std::tuple<std::uint64_t, bool, std::uint32_t>;
    std::map<Key, std::unique_ptr<Index>> indexes_;
    std::uint64_t entries_ = 0;
};

} // namespace engine::formula
