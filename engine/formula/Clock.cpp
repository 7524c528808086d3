#include "engine/formula/Calculator.h"

#include <cstdlib>
#include <ctime>

namespace engine::formula {

double conversionMoment(DateSystem dates) {
    std::time_t seconds = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        const long long parsed = std::strtoll(epoch, &end, 10);
        if (end && *end == '\0' && parsed >= 0)
            seconds = static_cast<std::time_t>(parsed);
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    // Serial 25569 is 1970-01-01 in the 1900 system; the 1904 system starts 1462 days later.
    const double days =
        (static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff)) / 86400.0;
    return 25569.0 + days - (dates == DateSystem::Date1904 ? 1462.0 : 0.0);
}

} // namespace engine::formula
