#include "app/form1.h"

namespace app {

void form1::Command8_Click() {}
void form1::Command7_Click() {}
void form1::About_Click() {}

} // namespace app
