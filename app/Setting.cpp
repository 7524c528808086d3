#include "app/form1.h"

namespace app {

void form1::Settings_Click() {}

} // namespace app
