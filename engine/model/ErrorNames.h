#pragma once
// Error values by the names formulas and the XML formats write them with ("#DIV/0!").

#include "engine/model/Cell.h"

#include <optional>
#include <string_view>

namespace engine {

// Every error value; errorText gives each its name.
inline constexpr CellError cellErrors[] = {
    CellError::Null, CellError::Div0, CellError::Value,       CellError::Ref,   CellError::Name,
    CellError::Num,  CellError::NA,   CellError::GettingData, CellError::Spill, CellError::Calc};

// The error value named exactly `text`; nullopt for any other text.
std::optional<CellError> cellErrorFromText(std::string_view text);

} // namespace engine
