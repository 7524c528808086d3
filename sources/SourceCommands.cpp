#include "app/form1.h"

namespace app {

void form1::Command1_Click() {}
void form1::Command5_Click() {}
void form1::Command2_Click() {}
void form1::RemoveAll_Click() {}
void form1::Command3_Click() {}
void form1::Command4_Click() {}

} // namespace app
