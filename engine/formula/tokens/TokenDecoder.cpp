#include "engine/formula/tokens/TokenDecoder.h"

#include "engine/base/Limits.h"
#include "engine/formula/tokens/FunctionTable.h"
#include "engine/model/Cell.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace engine::formula::tokens {
namespace {

// Binding strength of what an operand's text ends with, weakest first; an operand weaker
// than its operator is put in parentheses.
enum Strength : std::uint8_t {
    Comparison = 1,
    Concat,
    Additive,
    Multiplicative,
    Power,
    Percent,
    Unary,
    Atom,
};

struct Operand {
    std::string text;
    std::uint8_t strength = Atom;
};

class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}
    bool has(std::size_t n) const { return !bad_ && data_.size() - pos_ >= n; }
    bool atEnd() const { return pos_ >= data_.size(); }
    bool bad() const { return bad_; }
    std::uint8_t u8() { return has(1) ? data_[pos_++] : fail<std::uint8_t>(); }
    std::uint16_t u16() {
        if (!has(2))
            return fail<std::uint16_t>();
        const auto v = util::loadU16(data_.data() + pos_);
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | static_cast<std::uint32_t>(u16()) << 16;
    }
    double f64() {
        if (!has(8))
            return fail<double>();
        const double v = util::loadF64(data_.data() + pos_);
        pos_ += 8;
        return v;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        if (!has(n))
            return fail<std::span<const std::uint8_t>>();
        const auto part = data_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    void skip(std::size_t n) { take(n); }

private:
    template <typename T> T fail() {
        bad_ = true;
        return T{};
    }
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool bad_ = false;
};

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

// Text the parser reads back as the same double; nullopt for infinities and NaNs.
std::optional<std::string> numberText(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc())
        return std::nullopt;
    return std::string(buffer.data(), end);
}

std::string columnLetters(std::uint32_t col) {
    std::string letters;
    ++col;
    while (col > 0) {
        letters.insert(letters.begin(), static_cast<char>('A' + (col - 1) % 26));
        col = (col - 1) / 26;
    }
    return letters;
}

bool simpleSheetName(std::string_view name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    bool letters = true, sawDigit = false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || c == '.' || u >= 0x80))
            return false;
        if (std::isdigit(u))
            sawDigit = true;
        else if (sawDigit)
            letters = false;
    }
    // "AB12" or "R1C1" would read as a cell.
    return !(letters && sawDigit);
}

std::string sheetPrefix(const std::string& sheets) {
    const std::size_t colon = sheets.find(':');
    const bool simple = colon == std::string::npos
                            ? simpleSheetName(sheets)
                            : simpleSheetName(std::string_view(sheets).substr(0, colon)) &&
                                  simpleSheetName(std::string_view(sheets).substr(colon + 1));
    if (simple)
        return sheets + '!';
    std::string out = "'";
    for (char c : sheets) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'!";
}

class Decoder {
public:
    Decoder(std::span<const std::uint8_t> tokens, std::span<const std::uint8_t> extra,
            const DecodeContext& context)
        : in_(tokens), extra_(extra), c_(context), biff8_(context.dialect == Dialect::Biff8),
          maxRow_(biff8_ ? 0xFFFFu : 0xFFFFFu), maxCol_(biff8_ ? 0xFFu : 0x3FFFu),
          workLeft_(64 * tokens.size() + limits::maxFormulaTextBytes) {}

    Decoded run();

private:
    struct Location {
        std::uint32_t row = 0, col = 0;
        bool rowRelative = false, colRelative = false;
    };

    bool push(std::string text, std::uint8_t strength = Atom) {
        workLeft_ -= std::min(workLeft_, text.size());
        if (stack_.size() >= limits::maxTokenStackDepth ||
            text.size() > limits::maxFormulaTextBytes || workLeft_ == 0)
            return false;
        stack_.push_back({std::move(text), strength});
        return true;
    }
    bool pop(Operand& out) {
        if (stack_.empty())
            return false;
        out = std::move(stack_.back());
        stack_.pop_back();
        return true;
    }

    std::uint32_t readRow() { return biff8_ ? in_.u16() : in_.u32(); }
    Location locate(std::uint32_t row, std::uint16_t col, bool relativeForm);
    std::optional<std::string> reference(bool area, bool relativeForm);
    std::string cellText(const Location& at) const;
    std::string areaText(const Location& first, const Location& last);
    std::optional<std::string> sheetsOf(std::uint16_t ixti) const;
    std::optional<std::string> string();
    std::optional<std::string> arrayConstant();
    std::optional<std::string> tableReference();
    bool binary(std::string_view op, std::uint8_t strength);
    bool call(std::string_view name, std::size_t arguments);
    bool step(std::uint8_t ptg, Decoded& result);

    Bytes in_;
    Bytes extra_;
    const DecodeContext& c_;
    const bool biff8_;
    const std::uint32_t maxRow_, maxCol_;
    std::vector<Operand> stack_;
    // Each operator copies its operands' text: tokens that wrap one operand again and again
    // would cost the square of their length, so the copying is held to a multiple of it.
    std::size_t workLeft_;
    Reach reach_;
};

Decoder::Location Decoder::locate(std::uint32_t row, std::uint16_t col, bool relativeForm) {
    Location at;
    at.rowRelative = (col & 0x8000) != 0;
    at.colRelative = (col & 0x4000) != 0;
    at.row = row & maxRow_;
    at.col = col & 0x3FFF;
    if (relativeForm) {
        // Offsets from the cell, wrapping around the grid as the application counts them.
        if (at.rowRelative)
            at.row = (c_.row + row) & maxRow_;
        if (at.colRelative)
            at.col = (c_.col + at.col) & maxCol_;
        if (at.rowRelative) {
            reach_.rowLow = std::min(reach_.rowLow, at.row);
            reach_.rowHigh = std::max(reach_.rowHigh, at.row);
        }
        if (at.colRelative) {
            reach_.colLow = std::min(reach_.colLow, at.col);
            reach_.colHigh = std::max(reach_.colHigh, at.col);
        }
    } else if (at.rowRelative || at.colRelative) {
        reach_.pinned = true;
    }
    at.col = std::min(at.col, maxCol_);
    return at;
}

std::optional<std::string> Decoder::reference(bool area, bool relativeForm) {
    if (!area) {
        const std::uint32_t row = readRow();
        const std::uint16_t col = in_.u16();
        if (in_.bad())
            return std::nullopt;
        return cellText(locate(row, col, relativeForm));
    }
    const std::uint32_t row1 = readRow();
    const std::uint32_t row2 = readRow();
    const std::uint16_t col1 = in_.u16(), col2 = in_.u16();
    if (in_.bad())
        return std::nullopt;
    return areaText(locate(row1, col1, relativeForm), locate(row2, col2, relativeForm));
}

std::string Decoder::cellText(const Location& at) const {
    std::string text;
    if (!at.colRelative)
        text += '$';
    text += columnLetters(at.col);
    if (!at.rowRelative)
        text += '$';
    text += std::to_string(at.row + 1);
    return text;
}

std::string Decoder::areaText(const Location& first, const Location& last) {
    const auto colPart = [](const Location& at) {
        return (at.colRelative ? "" : "$") + columnLetters(at.col);
    };
    const auto rowPart = [](const Location& at) {
        return (at.rowRelative ? "" : "$") + std::to_string(at.row + 1);
    };
    // A whole column's text drops its rows, a whole row's its columns: moved elsewhere it
    // stays whole even where the tokens would name part of it.
    if (first.row == 0 && last.row == maxRow_ && first.rowRelative == last.rowRelative &&
        !(first.col == 0 && last.col == maxCol_)) {
        reach_.pinned = reach_.pinned || first.rowRelative;
        return colPart(first) + ':' + colPart(last);
    }
    if (first.col == 0 && last.col == maxCol_) {
        reach_.pinned = reach_.pinned || first.colRelative || last.colRelative;
        return rowPart(first) + ':' + rowPart(last);
    }
    return cellText(first) + ':' + cellText(last);
}

std::optional<std::string> Decoder::sheetsOf(std::uint16_t ixti) const {
    if (!c_.links)
        return std::nullopt;
    auto sheets = c_.links->sheets(ixti);
    if (!sheets || sheets->empty())
        return std::nullopt;
    return sheetPrefix(*sheets);
}

std::optional<std::string> Decoder::string() {
    std::string text;
    if (biff8_) {
        const std::uint8_t count = in_.u8();
        const bool wide = (in_.u8() & 0x01) != 0;
        const auto bytes = in_.take(wide ? count * 2u : count);
        if (in_.bad())
            return std::nullopt;
        wide ? util::appendUtf16le(text, bytes) : util::appendLatin1(text, bytes);
    } else {
        const std::uint16_t count = in_.u16();
        const auto bytes = in_.take(count * 2u);
        if (in_.bad())
            return std::nullopt;
        util::appendUtf16le(text, bytes);
    }
    return text;
}

enum class ArrayItem { Empty, Number, Text, Logical, Error, Unknown };

ArrayItem biff8ArrayItem(std::uint8_t type) {
    switch (type) {
    case 0x00:
        return ArrayItem::Empty;
    case 0x01:
        return ArrayItem::Number;
    case 0x02:
        return ArrayItem::Text;
    case 0x04:
        return ArrayItem::Logical;
    case 0x10:
        return ArrayItem::Error;
    default:
        return ArrayItem::Unknown;
    }
}

ArrayItem binaryArrayItem(std::uint8_t type) {
    switch (type) {
    case 0x00:
        return ArrayItem::Number;
    case 0x01:
        return ArrayItem::Text;
    case 0x02:
        return ArrayItem::Logical;
    case 0x04:
        return ArrayItem::Error;
    default:
        return ArrayItem::Unknown;
    }
}

// The values of a PtgArray, from the extra data: {1,2;3,4}.
std::optional<std::string> Decoder::arrayConstant() {
    std::uint32_t cols, rows;
    if (biff8_) {
        cols = extra_.u8() + 1u;
        rows = extra_.u16() + 1u;
    } else {
        rows = extra_.u32();
        cols = extra_.u32();
    }
    if (extra_.bad() || rows == 0 || cols == 0 || rows > limits::maxArrayConstantCells ||
        cols > limits::maxArrayConstantCells / rows)
        return std::nullopt;
    std::string text = "{";
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t col = 0; col < cols; ++col) {
            if (col > 0)
                text += ',';
            // The two formats number the kinds differently and pad the short ones only in BIFF8,
            // where every value takes nine bytes.
            const std::uint8_t type = extra_.u8();
            const ArrayItem kind = biff8_ ? biff8ArrayItem(type) : binaryArrayItem(type);
            const std::size_t padding = biff8_ ? 7 : 0;
            switch (kind) {
            case ArrayItem::Empty:
                extra_.skip(8);
                break;
            case ArrayItem::Number: {
                const auto number = numberText(extra_.f64());
                if (!number)
                    return std::nullopt;
                text += *number;
                break;
            }
            case ArrayItem::Text: {
                const std::uint16_t count = extra_.u16();
                const bool wide = !biff8_ || (extra_.u8() & 0x01) != 0;
                const auto bytes = extra_.take(wide ? count * 2u : count);
                std::string value;
                wide ? util::appendUtf16le(value, bytes) : util::appendLatin1(value, bytes);
                text += quoted(value);
                break;
            }
            case ArrayItem::Logical:
                text += extra_.u8() ? "TRUE" : "FALSE";
                extra_.skip(padding);
                break;
            case ArrayItem::Error: {
                const auto error = cellErrorFromCode(extra_.u8());
                extra_.skip(padding);
                if (!error)
                    return std::nullopt;
                text += errorText(*error);
                break;
            }
            case ArrayItem::Unknown:
                return std::nullopt;
            }
            if (extra_.bad() || text.size() > limits::maxFormulaTextBytes)
                return std::nullopt;
        }
        if (r + 1 < rows)
            text += ';';
    }
    return text + '}';
}

// A table's column name inside a structured reference's brackets: ' keeps the characters that
// would end or open the brackets, or start a keyword, plain.
std::string escapedColumn(std::string_view name) {
    std::string out = "[";
    for (char c : name) {
        if (c == '[' || c == ']' || c == '#' || c == '\'')
            out += '\'';
        out += c;
    }
    return out + ']';
}

// The rows a PtgRowType names, as the keywords of a structured reference; nullopt for a value
// the format does not define.
std::optional<std::string_view> rowKeywords(std::uint32_t rowType) {
    switch (rowType) {
    case 0x00:
        return std::string_view();
    case 0x01:
        return "[#All]";
    case 0x02:
        return "[#Headers]";
    case 0x04:
        return "[#Data]";
    case 0x06:
        return "[#Headers],[#Data]";
    case 0x08:
        return "[#Totals]";
    case 0x0C:
        return "[#Data],[#Totals]";
    case 0x10:
        return "[#This Row]";
    default:
        return std::nullopt;
    }
}

// A PtgList (MS-XLSB 2.5.98.52) after its eptg: a table's rows and columns as the structured
// reference the formula text writes ("Sales[[#Totals],[Amount]]"). A reference the file marks
// invalid is a #REF!; one to a table the links do not know, or to another workbook's table
// (its name kept in the extra data), is not followed.
std::optional<std::string> Decoder::tableReference() {
    in_.u16(); // ixti: where the table is, which its number already says
    const std::uint16_t flags = in_.u16();
    const std::uint32_t id = in_.u32();
    const std::uint16_t colFirst = in_.u16(), colLast = in_.u16();
    if (in_.bad() || (flags & 0x2000) != 0) // nonresident
        return std::nullopt;
    if ((flags & 0x1000) != 0)
        return std::string("#REF!");
    // A table whose part could not be read leaves the formula to its stored result.
    const TableLink* table = c_.links ? c_.links->table(id) : nullptr;
    if (!table || table->name.empty())
        return std::nullopt;
    const auto rows = rowKeywords((flags >> 2) & 0x1F);
    if (!rows)
        return std::nullopt;
    std::string columns;
    switch (flags & 0x03) {
    case 0x00:
        break;
    case 0x01:
        if (colFirst >= table->columns.size())
            return std::string("#REF!");
        columns = escapedColumn(table->columns[colFirst]);
        break;
    case 0x02:
        if (colFirst > colLast || colLast >= table->columns.size())
            return std::string("#REF!");
        columns =
            escapedColumn(table->columns[colFirst]) + ':' + escapedColumn(table->columns[colLast]);
        break;
    default:
        return std::nullopt;
    }
    std::vector<std::string> parts;
    for (std::string_view keywords = *rows; !keywords.empty();) {
        const std::size_t end = keywords.find(']') + 1;
        parts.emplace_back(keywords.substr(0, end));
        keywords.remove_prefix(std::min(keywords.size(), end + 1));
    }
    if (!columns.empty())
        parts.push_back(std::move(columns));
    // One keyword or column stands as the specifier itself; a list or a span of columns goes
    // inside outer brackets.
    if (parts.size() == 1 && parts[0].find("]:[") == std::string::npos)
        return table->name + parts[0];
    std::string text = table->name + '[';
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i ? "," : "") + parts[i];
    return text + ']';
}

bool Decoder::binary(std::string_view op, std::uint8_t strength) {
    Operand right, left;
    if (!pop(right) || !pop(left))
        return false;
    // Every operator of the grammar associates to the left.
    if (left.strength < strength)
        left.text = '(' + left.text + ')';
    if (right.strength <= strength)
        right.text = '(' + right.text + ')';
    return push(left.text + std::string(op) + right.text, strength);
}

bool Decoder::call(std::string_view name, std::size_t arguments) {
    if (arguments > stack_.size())
        return false;
    std::string text(name);
    text += '(';
    for (std::size_t i = stack_.size() - arguments; i < stack_.size(); ++i) {
        if (i > stack_.size() - arguments)
            text += ',';
        text += stack_[i].text;
        if (text.size() > limits::maxFormulaTextBytes)
            return false;
    }
    text += ')';
    stack_.resize(stack_.size() - arguments);
    return push(std::move(text));
}

bool Decoder::step(std::uint8_t ptg, Decoded& result) {
    // Operand tokens carry their class (reference, value, array) in bits 5-6; only the kind
    // matters for the text.
    const std::uint8_t kind = ptg >= 0x20 ? static_cast<std::uint8_t>((ptg & 0x1F) | 0x20) : ptg;
    switch (kind) {
    case 0x01: // PtgExp
        result.kind = Decoded::Kind::Shared;
        result.expRow = biff8_ ? in_.u16() : in_.u32();
        result.expCol = biff8_ ? in_.u16() : extra_.u32();
        return !in_.bad() && !extra_.bad();
    case 0x02: // PtgTbl
        result.kind = Decoded::Kind::Table;
        return true;
    case 0x03:
        return binary("+", Additive);
    case 0x04:
        return binary("-", Additive);
    case 0x05:
        return binary("*", Multiplicative);
    case 0x06:
        return binary("/", Multiplicative);
    case 0x07:
        return binary("^", Power);
    case 0x08:
        return binary("&", Concat);
    case 0x09:
        return binary("<", Comparison);
    case 0x0A:
        return binary("<=", Comparison);
    case 0x0B:
        return binary("=", Comparison);
    case 0x0C:
        return binary(">=", Comparison);
    case 0x0D:
        return binary(">", Comparison);
    case 0x0E:
        return binary("<>", Comparison);
    case 0x0F:
    case 0x10:
    case 0x11: {
        // Reference operators bind tightest; a union is bracketed so that it stays one
        // argument inside a call.
        Operand right, left;
        if (!pop(right) || !pop(left))
            return false;
        const char* op = kind == 0x0F ? " " : kind == 0x10 ? "," : ":";
        std::string text = left.text + op + right.text;
        return push(kind == 0x10 ? '(' + text + ')' : text);
    }
    case 0x12:
    case 0x13: {
        Operand operand;
        if (!pop(operand))
            return false;
        if (operand.strength < Unary)
            operand.text = '(' + operand.text + ')';
        return push((kind == 0x12 ? "+" : "-") + operand.text, Unary);
    }
    case 0x14: {
        Operand operand;
        if (!pop(operand))
            return false;
        if (operand.strength < Percent)
            operand.text = '(' + operand.text + ')';
        return push(operand.text + '%', Percent);
    }
    case 0x15: {
        Operand operand;
        if (!pop(operand))
            return false;
        return push('(' + operand.text + ')');
    }
    case 0x16:
        return push(std::string());
    case 0x17: {
        auto text = string();
        return text && push(quoted(*text));
    }
    case 0x18: { // the extended tokens: only PtgList is followed
        if (in_.u8() != 0x19)
            return false;
        auto text = tableReference();
        return text && push(std::move(*text));
    }
    case 0x19: { // PtgAttr
        const std::uint8_t type = in_.u8();
        const std::uint16_t data = in_.u16();
        if (type & 0x01)
            result.isVolatile = true;
        if (type & 0x04) // tAttrChoose: its jump table follows
            in_.skip((data + 1u) * 2u);
        if (type & 0x10) // tAttrSum: SUM of the one operand
            return call("SUM", 1);
        return !in_.bad();
    }
    case 0x1C: {
        const auto error = cellErrorFromCode(in_.u8());
        return error && push(errorText(*error));
    }
    case 0x1D:
        return push(in_.u8() ? "TRUE" : "FALSE");
    case 0x1E:
        return push(std::to_string(in_.u16()));
    case 0x1F: {
        const double value = in_.f64();
        const auto text = numberText(value);
        return text && push(*text, value < 0 ? Unary : Atom);
    }
    case 0x20: { // PtgArray: the values are in the extra data
        in_.skip(biff8_ ? 7 : 14);
        auto text = arrayConstant();
        return text && push(std::move(*text));
    }
    case 0x21: { // PtgFunc
        const BuiltinFunction f = builtinFunction(in_.u16());
        return !f.name.empty() && f.fixedArguments >= 0 &&
               call(f.name, static_cast<std::size_t>(f.fixedArguments));
    }
    case 0x22: { // PtgFuncVar
        const std::size_t arguments = in_.u8();
        const std::uint16_t tab = in_.u16();
        if (in_.bad() || (tab & 0x8000)) // a macro command
            return false;
        if (tab == 0xFF) {
            // A function named by its first operand: an add-in's or a newer one.
            if (arguments == 0 || arguments > stack_.size())
                return false;
            const std::string name = stack_[stack_.size() - arguments].text;
            stack_.erase(stack_.end() - static_cast<std::ptrdiff_t>(arguments));
            if (name.empty() || name.front() == '#')
                return false;
            return call(name, arguments - 1);
        }
        const BuiltinFunction f = builtinFunction(tab);
        return !f.name.empty() && call(f.name, arguments);
    }
    case 0x23: { // PtgName
        const std::uint32_t index = in_.u32();
        if (in_.bad())
            return false;
        auto name = c_.links ? c_.links->name(index) : std::nullopt;
        return push(name ? *name : std::string("#NAME?"));
    }
    case 0x24:
    case 0x2C:
    case 0x25:
    case 0x2D: {
        auto text = reference(kind == 0x25 || kind == 0x2D, kind >= 0x2C);
        return text && push(std::move(*text));
    }
    case 0x26: // PtgMemArea: its areas are in the extra data; what it wraps follows
        in_.skip(6);
        if (biff8_) {
            const std::uint16_t count = extra_.u16();
            extra_.skip(count * 8u);
        } else {
            const std::uint32_t count = extra_.u32();
            if (count > 0x10000)
                return false;
            extra_.skip(count * 16u);
        }
        return !in_.bad() && !extra_.bad();
    case 0x27: // PtgMemErr, PtgMemNoMem: wrappers only
    case 0x28:
        in_.skip(6);
        return !in_.bad();
    case 0x29: // PtgMemFunc, PtgMemAreaN, PtgMemNoMemN: only the size of what they wrap
    case 0x2E:
    case 0x2F:
        in_.skip(2);
        return !in_.bad();
    case 0x2A:
        in_.skip(biff8_ ? 4 : 6);
        return !in_.bad() && push("#REF!");
    case 0x2B:
        in_.skip(biff8_ ? 8 : 12);
        return !in_.bad() && push("#REF!");
    case 0x39: { // PtgNameX
        const std::uint16_t ixti = in_.u16();
        const std::uint32_t index = in_.u32();
        if (in_.bad())
            return false;
        auto name = c_.links ? c_.links->externalName(ixti, index) : std::nullopt;
        return push(name ? *name : std::string("#REF!"));
    }
    case 0x3A:
    case 0x3B: {
        const auto sheets = sheetsOf(in_.u16());
        auto text = reference(kind == 0x3B, c_.nameFormula);
        if (!text)
            return false;
        // Another workbook's cells are never read.
        return push(sheets ? *sheets + *text : std::string("#REF!"));
    }
    case 0x3C:
    case 0x3D:
        in_.skip(2 + (kind == 0x3C ? (biff8_ ? 4 : 6) : (biff8_ ? 8 : 12)));
        return !in_.bad() && push("#REF!");
    default: // PtgSxName, PtgList, the PtgElf family and unknown tokens
        return false;
    }
}

Decoded Decoder::run() {
    Decoded result;
    result.kind = Decoded::Kind::Formula;
    while (!in_.atEnd()) {
        const std::uint8_t ptg = in_.u8();
        if (!step(ptg, result) || in_.bad())
            return Decoded{};
        if (result.kind != Decoded::Kind::Formula) {
            result.text.clear();
            return result;
        }
    }
    if (stack_.size() != 1)
        return Decoded{};
    result.text = std::move(stack_.back().text);
    result.reach = reach_;
    return result;
}

} // namespace

std::optional<std::string> sheetSpan(std::span<const std::string> names, std::int64_t first,
                                     std::int64_t last) {
    if (first < 0 || last < first || static_cast<std::uint64_t>(last) >= names.size())
        return std::nullopt;
    if (first == last)
        return names[static_cast<std::size_t>(first)];
    return names[static_cast<std::size_t>(first)] + ':' + names[static_cast<std::size_t>(last)];
}

Decoded decodeTokens(std::span<const std::uint8_t> tokens, std::span<const std::uint8_t> extra,
                     const DecodeContext& context) {
    Decoder decoder(tokens, extra, context);
    return decoder.run();
}

} // namespace engine::formula::tokens
