#include "automation/CallTimeouts.h"

#include <algorithm>

namespace automation {

std::chrono::milliseconds CallTimeouts::forCall(const QString& member, qint64 workbookBytes) const {
    if (member.compare(QStringLiteral("Version"), Qt::CaseInsensitive) == 0 ||
        member.compare(QStringLiteral("Quit"), Qt::CaseInsensitive) == 0)
        return shortCall;
    constexpr qint64 megabyte = 1024 * 1024;
    // Whole megabytes, rounded up, in integer steps so that a huge size cannot overflow.
    const qint64 megabytes =
        workbookBytes <= 0 ? 0 : workbookBytes / megabyte + (workbookBytes % megabyte != 0);
    const qint64 room = std::max<qint64>(0, (workbookLimit - workbookBase).count());
    const qint64 extra =
        perMegabyte.count() <= 0
            ? 0
            : std::min<qint64>(room / perMegabyte.count() + 1, megabytes) * perMegabyte.count();
    return std::min(workbookBase + std::chrono::milliseconds(extra), workbookLimit);
}

} // namespace automation
