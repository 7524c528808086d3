// BAHTTEXT: an amount of money spelled out in Thai, baht and satang.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace engine::formula::functions {
namespace {

constexpr std::array<const char*, 10> digits = {"ศูนย์", "หนึ่ง", "สอง", "สาม", "สี่",
                                                "ห้า",  "หก",  "เจ็ด", "แปด", "เก้า"};
// The place names from units to hundred thousands; a million starts a new group.
constexpr std::array<const char*, 6> places = {"", "สิบ", "ร้อย", "พัน", "หมื่น", "แสน"};
constexpr const char* million = "ล้าน";

// Up to six decimal digits `group` (most significant first, no leading zeros), spelled. `more`
// is true when higher digits precede the group: a trailing one is then "เอ็ด", as in 101.
std::string spellGroup(std::string_view group, bool more) {
    std::string out;
    const std::size_t n = group.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int d = group[i] - '0';
        const std::size_t place = n - 1 - i;
        if (d == 0) {
            continue;
        }
        if (place == 1 && d == 1) {
            out += places[1]; // ten is "สิบ", never "one ten"
        } else if (place == 1 && d == 2) {
            out += std::string("ยี่") + places[1];
        } else if (place == 0 && d == 1 &&
                   (more ||
                    group.substr(0, n - 1).find_first_not_of('0') != std::string_view::npos)) {
            out += "เอ็ด";
        } else {
            out += digits[static_cast<std::size_t>(d)];
            out += places[place];
        }
    }
    return out;
}

// A whole number given as its decimal digits, spelled in groups of six joined by "ล้าน".
std::string spellWhole(std::string_view number) {
    std::string out;
    const std::size_t first = number.size() % 6 == 0 ? 6 : number.size() % 6;
    for (std::size_t at = 0, len = first; at < number.size(); at += len, len = 6) {
        std::string_view group = number.substr(at, len);
        const std::size_t lead = group.find_first_not_of('0');
        if (lead != std::string_view::npos) {
            out += spellGroup(group.substr(lead), at > 0);
        }
        if (at + len < number.size()) {
            out += million;
        }
    }
    return out;
}

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
        out += spellWhole(baht) + "บาท";
    }
    if (satang == 0) {
        out += baht == "0" ? std::string(digits[0]) + "บาทถ้วน" : "ถ้วน";
    } else {
        out += spellGroup(std::to_string(satang), false) + "สตางค์";
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
