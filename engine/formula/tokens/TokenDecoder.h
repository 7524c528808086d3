#pragma once
// Turns the parsed tokens a binary workbook stores for a formula into formula text in the A1
// syntax parseFormula reads. The two binary formats share the token set and differ only in
// field sizes, string encoding and the extra data of array constants.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace engine::formula::tokens {

enum class Dialect : std::uint8_t {
    Biff8,  // the older binary format: 65,536 rows, 256 columns, byte strings allowed
    Biff12, // the newer binary format: 1,048,576 rows, 16,384 columns, UTF-16 strings
};

// A table as the list tokens of formulas need it: the name its references are written with and
// its column names, left to right.
struct TableLink {
    std::string name;
    std::vector<std::string> columns;
};

// What the tokens point at outside themselves, resolved by the reader that knows the workbook.
class Links {
public:
    virtual ~Links() = default;
    // A table of this workbook by the number its own records give it; null when none has it
    // (the older binary format has no tables).
    virtual const TableLink* table(std::uint32_t id) const {
        (void)id;
        return nullptr;
    }
    // The sheet part of a 3-D reference through the workbook's sheet table ("Sheet1" or
    // "Sheet1:Sheet3", unquoted); nullopt for another workbook or a bad entry (a #REF!).
    virtual std::optional<std::string> sheets(std::uint32_t ixti) const = 0;
    // A defined name by its 1-based number; nullopt when there is none.
    virtual std::optional<std::string> name(std::uint32_t index) const = 0;
    // A name through the sheet table: a function of an add-in ("_xlfn.XLOOKUP") or a name of
    // this workbook; nullopt for another workbook's name.
    virtual std::optional<std::string> externalName(std::uint32_t ixti,
                                                    std::uint32_t index) const = 0;
};

// The sheet part of a 3-D reference from sheets `first` to `last` of `names`: "Sheet1" or
// "Sheet1:Sheet3"; nullopt when either is not a sheet or they are in the wrong order.
std::optional<std::string> sheetSpan(std::span<const std::string> names, std::int64_t first,
                                     std::int64_t last);

struct DecodeContext {
    Dialect dialect = Dialect::Biff8;
    std::uint32_t row = 0, col = 0; // the cell the relative (N) forms are counted from
    const Links* links = nullptr;   // none: every 3-D reference and name is unreadable
    // A defined name's tokens: their 3-D references count from (row, col) like the N forms.
    bool nameFormula = false;
};

// Where the references of a decoded text point, for moving the text to another cell by
// shifting its relative parts (as the followers of a shared formula are computed).
struct Reach {
    // The least and greatest row and column that relative parts counted from the cell name
    // here; low above high when there are none.
    std::uint32_t rowLow = 0xFFFFFFFFu, rowHigh = 0, colLow = 0xFFFFFFFFu, colHigh = 0;
    // A part the text marks relative that the tokens do not count from the cell (a plain or
    // 3-D reference, or a whole row or column whose dropped part is relative): its text
    // would move where the tokens stay.
    bool pinned = false;
};

struct Decoded {
    enum class Kind : std::uint8_t {
        Formula,    // `text` holds it
        Shared,     // points at the shared or array formula anchored at (expRow, expCol)
        Table,      // a cell of a data table: only its stored result is known
        Unreadable, // tokens this decoder does not follow: keep the stored result
    };
    Kind kind = Kind::Unreadable;
    std::string text; // without the leading '='
    std::uint32_t expRow = 0, expCol = 0;
    bool isVolatile = false; // the tokens say the value changes at every computation
    Reach reach;
};

// `tokens` is the rgce, `extra` the data that follows it (array constants, memory areas).
// Never throws on bad input; every count and offset is checked against what is there.
Decoded decodeTokens(std::span<const std::uint8_t> tokens, std::span<const std::uint8_t> extra,
                     const DecodeContext& context);

} // namespace engine::formula::tokens
