#pragma once
// Which hyperlinks of a workbook a page may carry.

#include "engine/model/Sheet.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine::web {

// The address an external hyperlink leads to, when its scheme is http, https, mailto or ftp;
// nullopt for every other scheme (javascript:, file:, data: ...), a relative or an empty target.
std::optional<std::string> safeExternalHref(const Hyperlink& link);

// The sheet an internal location names ("'My Sheet'!A1" -> "My Sheet", "Data!B2" -> "Data");
// empty when the location names no sheet (a defined name, an empty location).
std::string locationSheet(std::string_view location);

} // namespace engine::web
