#include "engine/xlsb/FormulaLinksBin.h"

#include "engine/base/Limits.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xlsb/Records.h"

#include <string_view>

namespace engine::xlsb {
namespace {} // namespace

ParsedFormula parsedFormula(std::span<const std::uint8_t> body, std::size_t at) {
    if (at > body.size() || body.size() - at < 8)
        return {};
    const std::size_t cce = util::loadU32(body.data() + at);
    if (cce > body.size() - at - 8)
        return {};
    const std::size_t cbAt = at + 4 + cce;
    const std::size_t cb = util::loadU32(body.data() + cbAt);
    if (cb > body.size() - cbAt - 4)
        return {};
    return {body.subspan(at + 4, cce), body.subspan(cbAt + 4, cb)};
}

void BinaryLinks::record(const Record& record) {
    switch (record.type) {
    case rec::SupSelf:
        if (books_.size() < limits::maxLinkTableEntries)
            books_.push_back(Book::Self);
        break;
    case rec::SupSame:
    case rec::SupAddin:
    case rec::SupBookSrc:
        if (books_.size() < limits::maxLinkTableEntries)
            books_.push_back(Book::Other);
        break;
    case rec::ExternSheet: {
        if (record.body.size() < 4 || !entries_.empty())
            break;
        const std::size_t count = util::loadU32(record.body.data());
        for (std::size_t i = 0;
             i < count && i < limits::maxLinkTableEntries && 4 + i * 12 + 12 <= record.body.size();
             ++i) {
            const std::uint8_t* p = record.body.data() + 4 + i * 12;
            entries_.push_back({static_cast<std::int32_t>(util::loadU32(p)),
                                static_cast<std::int32_t>(util::loadU32(p + 4)),
                                static_cast<std::int32_t>(util::loadU32(p + 8))});
        }
        break;
    }
    case rec::Name:
        readName(record.body);
        break;
    default:
        break;
    }
}

void BinaryLinks::readName(std::span<const std::uint8_t> body) {
    // Flags, a shortcut key, the sheet (all ones: the workbook), the name, then the formula.
    if (body.size() < 13 || names_.size() >= limits::maxDefinedNames)
        return;
    const std::uint32_t flags = util::loadU32(body.data());
    const std::uint32_t itab = util::loadU32(body.data() + 5);
    const std::size_t count = util::loadU32(body.data() + 9);
    if (count > (body.size() - 13) / 2)
        return;
    StoredName name;
    util::appendUtf16le(name.name, body.subspan(13, count * 2));
    if ((flags & 0x20) && !name.name.starts_with("_xlnm."))
        name.name = "_xlnm." + name.name;
    name.sheet = itab; // all ones: the workbook
    const ParsedFormula formula = parsedFormula(body, 13 + count * 2);
    name.tokens.assign(formula.tokens.begin(), formula.tokens.end());
    name.extra.assign(formula.extra.begin(), formula.extra.end());
    // Every name keeps its place: tokens count names by position.
    names_.push_back(std::move(name));
}

std::optional<std::string> BinaryLinks::sheets(std::uint32_t ixti) const {
    if (ixti >= entries_.size())
        return std::nullopt;
    const auto& [book, first, last] = entries_[ixti];
    if (book < 0 || static_cast<std::size_t>(book) >= books_.size() || books_[book] != Book::Self)
        return std::nullopt;
    return formula::tokens::sheetSpan(sheetNames_, first, last);
}

std::optional<std::string> BinaryLinks::externalName(std::uint32_t ixti,
                                                     std::uint32_t index) const {
    // Only names of this workbook: another book's, or an add-in's, are not followed.
    if (ixti >= entries_.size())
        return std::nullopt;
    const std::int32_t book = entries_[ixti][0];
    if (book < 0 || static_cast<std::size_t>(book) >= books_.size() || books_[book] != Book::Self)
        return std::nullopt;
    return name(index);
}

std::vector<DefinedName> BinaryLinks::definedNames() const {
    return decodeNames(formula::tokens::Dialect::Biff12, [&](std::uint32_t sheet) {
        return sheet < sheetNames_.size() ? sheet : DefinedName::noSheet;
    });
}

} // namespace engine::xlsb
