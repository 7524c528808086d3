#include "automation/CallTimeouts.h"

#include "automation/NameCase.h"

#include <algorithm>

namespace automation {

std::chrono::milliseconds CallTimeouts::forCall(std::string_view member,
                                                std::int64_t workbookBytes) const {
    if (sameName(member, "Version") || sameName(member, "Quit"))
        return shortCall;
    constexpr std::int64_t megabyte = 1024 * 1024;
    // Whole megabytes, rounded up, in integer steps so that a huge size cannot overflow.
    const std::int64_t megabytes =
        workbookBytes <= 0 ? 0 : workbookBytes / megabyte + (workbookBytes % megabyte != 0);
    const std::int64_t room = std::max<std::int64_t>(0, (workbookLimit - workbookBase).count());
    const std::int64_t extra =
        perMegabyte.count() <= 0
            ? 0
            : std::min<std::int64_t>(room / perMegabyte.count() + 1, megabytes) *
                  perMegabyte.count();
    return std::min(workbookBase + std::chrono::milliseconds(extra), workbookLimit);
}

} // namespace automation
