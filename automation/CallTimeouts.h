#pragma once
// How long the client waits for one reply of the host before it stops the host.

#include <chrono>
#include <cstdint>
#include <string_view>

namespace automation {

struct CallTimeouts {
    // Version, Quit and the like: the host answers these at once unless it is stuck.
    std::chrono::milliseconds shortCall = std::chrono::seconds(5);
    // Every other call, for a workbook of no size; a workbook adds `perMegabyte` for each
    // megabyte of its file, up to `workbookLimit`.
    std::chrono::milliseconds workbookBase = std::chrono::seconds(20);
    std::chrono::milliseconds perMegabyte = std::chrono::seconds(2);
    std::chrono::milliseconds workbookLimit = std::chrono::seconds(120);

    // One limit for every call, whatever the workbook.
    static CallTimeouts uniform(std::chrono::milliseconds limit) {
        return CallTimeouts{limit, limit, std::chrono::milliseconds(0), limit};
    }

    // The limit for `member` on a host whose open workbook's file has `workbookBytes` bytes
    // (0 when none is open or its size is unknown).
    std::chrono::milliseconds forCall(std::string_view member, std::int64_t workbookBytes) const;
};

} // namespace automation
