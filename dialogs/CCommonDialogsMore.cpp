#include "dialogs/CCommonDialogs.h"

namespace dialogs {

std::int16_t CCommonDialogs::ShowColor(std::int16_t) { return 0; }
std::int16_t CCommonDialogs::ShowFont() { return 0; }
std::int16_t CCommonDialogs::ShowPrinter() { return 0; }
std::int16_t CCommonDialogs::ShowPrinterProperties() { return 0; }

} // namespace dialogs
