#pragma once
// The production pieces behind the seams of Services.

#include "app/ClockRandom.h"
#include "app/Services.h"

namespace app {

class QtMessageBoxes : public MessageBoxes {
public:
    void MsgBox(QWidget* owner, const QString& text, MessageIcon icon) override;
};

class DesktopShell : public Shell {
public:
    void ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                      int showCommand) override;
};

} // namespace app
