#pragma once
// One non-empty cell of a worksheet, kept small: a million cells must fit in a few tens of MB.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

enum class CellType : std::uint8_t { Empty, Number, Text, Boolean, Error };

// Error values, with the codes the binary format uses for them.
enum class CellError : std::uint8_t {
    Null = 0x00,        // #NULL!
    Div0 = 0x07,        // #DIV/0!
    Value = 0x0F,       // #VALUE!
    Ref = 0x17,         // #REF!
    Name = 0x1D,        // #NAME?
    Num = 0x24,         // #NUM!
    NA = 0x2A,          // #N/A
    GettingData = 0x2B, // #GETTING_DATA
    // Dynamic arrays' own errors. Their codes are ours, never read from a binary file.
    Spill = 0xF0, // #SPILL!
    Calc = 0xF1   // #CALC!
};

// The text an error value shows ("#DIV/0!" ...); "#N/A" for a code the table does not know.
const char* errorText(CellError error);

// The error value a binary file's error byte stands for; nullopt for a byte no error has.
std::optional<CellError> cellErrorFromCode(std::uint8_t code);

struct Cell {
    std::uint32_t row = 0;           // 0-based
    std::uint16_t col = 0;           // 0-based
    CellType type = CellType::Empty; // Empty: a formatted blank cell
    bool isFormula = false;          // the value is a formula's cached result
    std::uint32_t format = 0;        // index into Workbook::cellFormats
    union {
        double number;      // Number
        std::uint32_t text; // Text: index into Workbook::strings
        bool boolean;       // Boolean
        CellError error;    // Error
    };

    Cell() : number(0) {}
};

// A run of rich text: from byte `start` of the UTF-8 text on, drawn with font `font`.
struct TextRun {
    std::uint32_t start = 0;
    std::uint32_t font = 0; // index into Workbook::fonts
};

// A string of the workbook's string table; `runs` is empty for plain text.
struct RichText {
    std::string text; // UTF-8, with line breaks as "\n"
    std::vector<TextRun> runs;
};

} // namespace engine
