#pragma once
// Small text rules of the naming: file extensions and blanks.

#include <QString>

namespace convert {

// The text up to, not including, its last "."; the whole text when it has none.
QString StripExtension(const QString& text);

// The text without any blank or ".".
QString RemoveSpacesAndDots(const QString& text);

} // namespace convert
