// Parses arbitrary format codes and formats arbitrary values with them: the first 8 bytes are
// the value, one byte picks the date system, the rest is the code.

#include "engine/numfmt/NumberFormat.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9)
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    const auto dates = (data[8] & 1) ? engine::DateSystem::Date1904 : engine::DateSystem::Date1900;
    const std::string_view code(reinterpret_cast<const char*>(data + 9), size - 9);
    const auto format = engine::numfmt::NumberFormat::parse(code);
    engine::numfmt::Shown shown;
    format.formatNumber(value, dates, shown);
    // Whatever the code, the text stays within a bound set by the code's own length.
    if (shown.text.size() > 4096 + 64 * code.size())
        std::abort();
    shown = {};
    format.formatText(code.substr(0, 16), shown);
    return 0;
}
