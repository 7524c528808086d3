#pragma once
// The language a page names on its <html> element, so that a screen reader reads its text
// with the right voice.

#include "engine/model/Workbook.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine::web {

// A language tag ("de-AT") made from `text`: a tag as the file writes it ("en-US", "en_us")
// or a locale name as the environment gives it ("de_AT.UTF-8@euro"), its region in capitals.
// Nothing for text that is no such name ("C", "POSIX", empty, or characters a tag cannot hold).
std::optional<std::string> languageTag(std::string_view text);

// The workbook's own language where it states one; otherwise that of the locale this program
// runs in (LC_ALL, LC_MESSAGES, then LANG, as the C library ranks them), and "en" when that
// names none.
std::string pageLanguage(const Workbook& workbook);

} // namespace engine::web
