#pragma once
// Member names and ProgIDs match ignoring letter case, as late binding has always matched them.

#include <string_view>

namespace automation {

// True when `a` and `b` (UTF-8) differ at most in letter case, by the simple case folding the
// window's text uses (app/CaseFolding): letters fold one to one, never into several ("ß" is not
// "ss"), and the long s and the Kelvin sign fold to "s" and "k".
bool sameName(std::string_view a, std::string_view b);

} // namespace automation
