#include "app/form1.h"

namespace app {

void form1::Command10_Click() {}
void form1::Command11_Click() {}
void form1::Removeoutput_Click() {}
void form1::RemoveAllOutput_Click() {}

} // namespace app
