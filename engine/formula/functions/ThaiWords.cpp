#include "engine/formula/functions/ThaiWords.h"

#include <array>
#include <cstddef>

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

} // namespace

std::string thaiWholeNumber(std::string_view number) {
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

std::string_view thaiDigitName(int digit) {
    return digits[static_cast<std::size_t>(digit)];
}

} // namespace engine::formula::functions
