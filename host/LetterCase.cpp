#include "host/LetterCase.h"

#include "engine/formula/functions/TextUnits.h"

namespace host {

namespace text = engine::formula::functions;

std::string lowerCase(std::string_view utf8) {
    return text::toUtf8(text::lower(text::toUtf16(utf8)));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return text::compareFolded(a, b) == 0;
}

} // namespace host
