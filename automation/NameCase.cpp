#include "automation/NameCase.h"

#include "app/CaseFolding.h"

namespace automation {

bool sameName(std::string_view a, std::string_view b) {
    return app::CompareIgnoringCase(a, b) == 0;
}

} // namespace automation
