#include "app/form1.h"

namespace app {

void form1::Command6_Click() {}

} // namespace app
