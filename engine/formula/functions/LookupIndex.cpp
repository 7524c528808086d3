#include "engine/formula/functions/LookupIndex.h"

#include "engine/base/Limits.h"
#include "engine/formula/functions/TextUnits.h"

namespace engine::formula {
namespace {

std::string foldedKey(const std::string& text) {
    return functions::toUtf8(functions::lower(functions::toUtf16(text)));
}

template <typename Map, typename K> void note(Map& map, const K& key, std::uint32_t at) {
    auto [it, fresh] = map.try_emplace(key, LookupIndexes::Positions{at, at});
    if (!fresh) {
        it->second.first = std::min(it->second.first, at);
        it->second.last = std::max(it->second.last, at);
    }
}

template <typename Map, typename K>
const LookupIndexes::Positions* lookIn(const Map& map, const K& key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

} // namespace

const LookupIndexes::Positions* LookupIndexes::Index::find(const Value& v) const {
    switch (v.kind) {
    case ValueKind::Number:
        return lookIn(numbers, roundTo15Digits(v.number));
    case ValueKind::Text:
        return lookIn(texts, foldedKey(v.text));
    case ValueKind::Boolean:
        return lookIn(booleans, v.number != 0);
    case ValueKind::Error:
        return lookIn(errors, static_cast<int>(v.error));
    case ValueKind::Blank:
        return nullptr;
    }
    return nullptr;
}

const LookupIndexes::Index* LookupIndexes::lineIndex(const Area& area, bool vertical,
                                                     std::uint32_t fixed, CallContext& context) {
    std::uint64_t id = area.identity();
    if (id == 0) {
        return nullptr;
    }
    Key key{id, vertical, fixed};
    if (auto it = indexes_.find(key); it != indexes_.end()) {
        return it->second.get();
    }
    if (entries_ >= limits::maxLookupIndexEntries) {
        return nullptr;
    }
    auto index = std::make_unique<Index>();
    std::uint64_t visited = 0;
    bool spent = false;
    area.forEachValue([&](std::uint32_t r, std::uint32_t c, const Value& v) {
        if (spent || (vertical ? c : r) != fixed) {
            return;
        }
        if (++visited % 1024 == 0 && !context.chargeWork(1024)) {
            spent = true;
            return;
        }
        std::uint32_t along = vertical ? r : c;
        switch (v.kind) {
        case ValueKind::Number:
            note(index->numbers, roundTo15Digits(v.number), along);
            break;
        case ValueKind::Text:
            note(index->texts, foldedKey(v.text), along);
            break;
        case ValueKind::Boolean:
            note(index->booleans, v.number != 0, along);
            break;
        case ValueKind::Error:
            note(index->errors, static_cast<int>(v.error), along);
            break;
        case ValueKind::Blank:
            break;
        }
    });
    if (spent || !context.chargeWork(visited % 1024)) {
        return nullptr;
    }
    entries_ += visited;
    return indexes_.emplace(key, std::move(index)).first->second.get();
}

} // namespace engine::formula
