#include "engine/numfmt/BuiltinFormats.h"

namespace engine::numfmt {
namespace {

// Ids whose meaning is fixed whatever the file says; the others (currency 5-8, the East Asian
// range and the accounting formats 41-44) follow the writer's locale, so a stored code wins.
bool isLocaleIndependent(std::uint32_t id) {
    return id <= 4 || (id >= 9 && id <= 22) || (id >= 37 && id <= 40) || (id >= 45 && id <= 49);
}

} // namespace

const char* builtinFormatCode(std::uint32_t id) {
    switch (id) {
    case 0:
        return "General";
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 5:
        return "\"$\"#,##0_);\\(\"$\"#,##0\\)";
    case 6:
        return "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)";
    case 7:
        return "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
    case 8:
        return "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 11:
        return "0.00E+00";
    case 12:
        return "# ?/?";
    case 13:
        return "# ?\?/?\?";
    case 14:
        return "m/d/yyyy";
    case 15:
        return "d-mmm-yy";
    case 16:
        return "d-mmm";
    case 17:
        return "mmm-yy";
    case 18:
        return "h:mm AM/PM";
    case 19:
        return "h:mm:ss AM/PM";
    case 20:
        return "h:mm";
    case 21:
        return "h:mm:ss";
    case 22:
        return "m/d/yyyy h:mm";
    // East Asian ids: an en-US installation shows them as General, dates or times.
    case 23:
    case 24:
    case 25:
    case 26:
        return "General";
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 36:
        return "m/d/yyyy";
    case 32:
    case 33:
    case 34:
    case 35:
        return "h:mm:ss";
    case 37:
        return "#,##0_);\\(#,##0\\)";
    case 38:
        return "#,##0_);[Red]\\(#,##0\\)";
    case 39:
        return "#,##0.00_);\\(#,##0.00\\)";
    case 40:
        return "#,##0.00_);[Red]\\(#,##0.00\\)";
    case 41:
        return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42:
        return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43:
        return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44:
        return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45:
        return "mm:ss";
    case 46:
        return "[h]:mm:ss";
    case 47:
        return "mm:ss.0";
    case 48:
        return "##0.0E+0";
    case 49:
        return "@";
    case 50:
    case 51:
    case 52:
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58:
        return "m/d/yyyy";
    default:
        return nullptr;
    }
}

std::string formatCodeFor(const Workbook& workbook, std::uint32_t id) {
    if (!isLocaleIndependent(id)) {
        auto stored = workbook.numberFormats.find(id);
        if (stored != workbook.numberFormats.end())
            return stored->second;
    }
    if (const char* builtin = builtinFormatCode(id))
        return builtin;
    return "General";
}

} // namespace engine::numfmt
