#pragma once
// The conversion's procedures as the window calls them: they read the window's controls and
// show its messages, and leave the rules to the window-free conversion code.

#include "convert/OutputOptions.h"

namespace app {
class form1;
}

namespace convert {

// Turns the output directory box's text into OutputFolder. False, after telling the user why,
// when the box is empty, a remembered folder is gone or a typed one cannot be created.
bool PrepareOutputFolder(app::form1& form);

// The option panel's choices as they stand.
OutputOptions CurrentOptions(const app::form1& form);

// The output directory box's list index: -1 when its text was typed rather than picked.
int OutputBoxListIndex(const app::form1& form);

} // namespace convert
