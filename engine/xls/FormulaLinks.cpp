#include "engine/xls/FormulaLinks.h"

#include "engine/base/Limits.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <array>
#include <string_view>

namespace engine::xls {
namespace {

constexpr std::uint16_t ownBook = 0x0401; // the SUPBOOK of this workbook's own sheets
constexpr std::uint16_t addIns = 0x3A01;  // the SUPBOOK of add-in functions

// The names a built-in NAME stands for by its one-character code, as the newer format spells
// them.
constexpr std::array<std::string_view, 14> builtinNames{
    "Consolidate_Area", "Auto_Open",       "Auto_Close",   "Extract",        "Database",
    "Criteria",         "Print_Area",      "Print_Titles", "Recorder",       "Data_Form",
    "Auto_Activate",    "Auto_Deactivate", "Sheet_Title",  "_FilterDatabase"};

// A string of `count` characters after its option byte, never past the record.
std::string characters(std::span<const std::uint8_t> body, std::size_t& pos, std::size_t count) {
    std::string out;
    if (pos >= body.size())
        return out;
    const bool wide = (body[pos++] & 0x01) != 0;
    const std::size_t bytes = std::min(count * (wide ? 2 : 1), body.size() - pos);
    const auto part = body.subspan(pos, bytes);
    wide ? util::appendUtf16le(out, part) : util::appendLatin1(out, part);
    pos += bytes;
    return out;
}

} // namespace

void FormulaLinks::readSupBook(const Record& record) {
    if (record.body.size() >= 4 && supBookKinds_.size() < 65536) {
        supBookKinds_.push_back(util::loadU16(record.body.data() + 2));
        externNames_.emplace_back();
    }
}

void FormulaLinks::readExternSheet(const Record& record) {
    if (record.body.size() < 2 || !entries_.empty())
        return;
    const std::size_t count = util::loadU16(record.body.data());
    for (std::size_t i = 0; i < count && 2 + i * 6 + 6 <= record.body.size(); ++i) {
        const std::uint8_t* p = record.body.data() + 2 + i * 6;
        entries_.push_back({util::loadU16(p), util::loadU16(p + 2), util::loadU16(p + 4)});
    }
}

void FormulaLinks::readExternName(const Record& record) {
    // Flags, then four bytes that are either reserved or name another book's sheet, then the
    // name; it belongs to the SUPBOOK before it.
    if (externNames_.empty() || record.body.size() < 8 ||
        externNames_.back().size() >= limits::maxDefinedNames)
        return;
    std::size_t pos = 7;
    const std::size_t count = record.body[6];
    externNames_.back().push_back(characters(record.body, pos, count));
}

void FormulaLinks::readName(const Record& record) {
    const auto body = record.body;
    if (body.size() < 15 || names_.size() >= limits::maxDefinedNames)
        return;
    const std::uint16_t flags = util::loadU16(body.data());
    const std::size_t count = body[3];
    const std::size_t cce = util::loadU16(body.data() + 4);
    StoredName name;
    name.sheet = util::loadU16(body.data() + 8); // 1-based BOUNDSHEET position; 0: the workbook
    std::size_t pos = 14;
    name.name = characters(body, pos, count);
    if ((flags & 0x0020) && !name.name.empty()) {
        const auto code = static_cast<unsigned char>(name.name[0]);
        if (code < builtinNames.size())
            name.name = "_xlnm." + std::string(builtinNames[code]);
    }
    if (pos <= body.size() && cce <= body.size() - pos) {
        name.tokens.assign(body.begin() + static_cast<std::ptrdiff_t>(pos),
                           body.begin() + static_cast<std::ptrdiff_t>(pos + cce));
        name.extra.assign(body.begin() + static_cast<std::ptrdiff_t>(pos + cce), body.end());
    }
    // Every NAME keeps its place: tokens count names by position.
    names_.push_back(std::move(name));
}

int FormulaLinks::sheetOf(std::uint16_t index) const {
    if (index >= entries_.size())
        return -1;
    const auto& [book, first, last] = entries_[index];
    if (book >= supBookKinds_.size() || supBookKinds_[book] != ownBook || first != last)
        return -1;
    return first;
}

std::optional<std::string> FormulaLinks::sheets(std::uint32_t ixti) const {
    if (ixti >= entries_.size())
        return std::nullopt;
    const auto& [book, first, last] = entries_[ixti];
    if (book >= supBookKinds_.size() || supBookKinds_[book] != ownBook)
        return std::nullopt;
    return formula::tokens::sheetSpan(sheetNames_, first, last);
}

std::optional<std::string> FormulaLinks::externalName(std::uint32_t ixti,
                                                      std::uint32_t index) const {
    if (ixti >= entries_.size())
        return std::nullopt;
    const std::uint16_t book = entries_[ixti][0];
    if (book >= supBookKinds_.size())
        return std::nullopt;
    if (supBookKinds_[book] == ownBook)
        return name(index);
    const auto& names = externNames_[book];
    if (supBookKinds_[book] != addIns || index == 0 || index > names.size() ||
        names[index - 1].empty())
        return std::nullopt;
    return names[index - 1];
}

std::vector<DefinedName>
FormulaLinks::definedNames(const std::vector<std::size_t>& sheetOfBound) const {
    return decodeNames(formula::tokens::Dialect::Biff8, [&](std::uint32_t sheet) {
        return sheet > 0 && sheet <= sheetOfBound.size()
                   ? static_cast<std::uint32_t>(sheetOfBound[sheet - 1])
                   : DefinedName::noSheet;
    });
}

} // namespace engine::xls
