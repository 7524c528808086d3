#include "batch/FailureKind.h"

#include "batch/FoldedCase.h"

#include <utility>

namespace batch {

std::string FailureKind(std::string_view description) {
    // The sentences the host's readers and the client raise (engine ReadError::describe,
    // automation HostProcess), checked most specific first.
    static const std::pair<const char*, const char*> kinds[] = {
        {"is encrypted", "encrypted"},
        {"is damaged", "damaged"},
        {"did not answer", "timed out"},
        {"is not a workbook this program can read", "unreadable"},
        {"could not be read", "unreadable"},
        {"could not be found", "unreadable"},
        {"no workbook file", "unreadable"},
        {"the workbook file is gone", "unreadable"},
        {"stopped unexpectedly", "host stopped"},
        {"could not be understood", "host stopped"},
        {"no longer running", "host stopped"},
        {"could not be reached", "host stopped"},
        {"no worksheet named", "no sheet"},
        {"cannot create the folder", "output"},
    };
    for (const auto& [phrase, kind] : kinds)
        if (ContainsIgnoringCase(description, phrase))
            return kind;
    return "other";
}

} // namespace batch
