#include "engine/model/ErrorNames.h"

namespace engine {

std::optional<CellError> cellErrorFromText(std::string_view text) {
    for (const CellError error : cellErrors)
        if (text == errorText(error))
            return error;
    return std::nullopt;
}

} // namespace engine
