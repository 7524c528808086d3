#include "app/form1.h"

namespace app {

void form1::Form_Unload() {}

} // namespace app
