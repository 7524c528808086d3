// ENCODEURL: text made safe to put in a web address.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"

namespace engine::formula::functions {
namespace {

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

// Every byte of the UTF-8 text but letters, digits and "-_.~" as %XX.
Value encodeUrl(Args args, CallContext& c) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Reader r(args, c);
    const std::string text = r.text(0);
    if (r.failed()) {
        return r.error();
    }
    std::string out;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (unreserved(byte)) {
            out += ch;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
    // The result is ASCII, one unit a byte.
    if (out.size() > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    return Value::of(out);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ENCODEURL", 1, 1, encodeUrl, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> webFunctions() {
    return table;
}

} // namespace engine::formula::functions
