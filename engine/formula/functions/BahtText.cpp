// BAHTTEXT: an amount of money spelled out in Thai, baht and satang.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/ThaiWords.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace engine::formula::functions {
namespace {

Value bahtText(Args args, CallContext& c) {
    Reader r(args, c);
    const double amount = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if (!std::isfinite(amount) || std::fabs(amount) >= 1e15) {
        return Value::fail(CellError::Num);
    }
    // Whole satang, rounded half away from zero as money is, of the amount as shown (1.005
    // is 1 baht 1 satang though its nearest double lies below).
    const double satangTotal = std::round(roundTo15Digits(std::fabs(amount) * 100));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::floor(satangTotal / 100));
    const std::string baht = buffer;
    const int satang = static_cast<int>(std::fmod(satangTotal, 100));
    std::string out = amount < 0 && satangTotal > 0 ? "ลบ" : "";
    if (baht != "0") {
        out += thaiWholeNumber(baht) + "บาท";
    }
    if (satang == 0) {
        out += baht == "0" ? std::string(thaiDigitName(0)) + "บาทถ้วน" : "ถ้วน";
    } else {
        out += thaiWholeNumber(std::to_string(satang)) + "สตางค์";
    }
    return Value::of(out);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"BAHTTEXT", 1, 1, bahtText, {}, 0, 0, nullptr, {}, 368},
};

} // namespace

std::span<const FunctionInfo> bahtTextFunctions() {
    return table;
}

} // namespace engine::formula::functions
